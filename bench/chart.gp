# The chart of docs/benchmarks.md, drawn by bench/report.py:
#   gnuplot -e "targets='...'; growth='...'; output='...'; names='...'; rows=N" chart.gp
# Left: each timing target, libzuc's time divided by the other's on a log
# scale (a bar from 1), green when within the limit (the black mark), red
# when not. Right: the growth of one call's time with n, log-log.
set terminal pngcairo size 1800,1100 font "DejaVu Sans,11" noenhanced
set output output
set multiplot layout 1,2 title "libzuc: timing targets and cost growth" font ",14"

set lmargin 46
set logscale x 2
set xrange [0.0625:32]
set yrange [-0.7:rows-0.3]
set xtics ("1/16" 0.0625, "1/8" 0.125, "1/4" 0.25, "1/2" 0.5, "1" 1, "2" 2, "4" 4, "8" 8, "16" 16, "32" 32)
set ytics scale 0 font ",9"
set grid xtics
set xlabel "libzuc time ÷ other's time (left of 1: libzuc faster)"
set title "Targets: bar = measured, | = limit"
set arrow 1 from 1, graph 0 to 1, graph 1 nohead lc rgb "gray40"
unset key
set style fill solid 0.75 noborder
plot targets using (($2 < 1) ? $2 : 1):1:(($2 < 1) ? $2 : 1):(($2 < 1) ? 1 : $2):($1 - 0.35):($1 + 0.35):(($4 > 0) ? 0x2ca02c : 0xd62728):ytic(5) \
         with boxxyerror lc rgb variable, \
     targets using 3:1 with points pt "|" ps 2.5 lc rgb "black"

unset arrow 1
unset ytics
set lmargin 10
set logscale xy 10
unset xrange
set yrange [*:*]
set xtics auto
set format x "%.0s%c"
set ytics ("1 ns" 1, "10 ns" 10, "100 ns" 100, "1 µs" 1e3, "10 µs" 1e4, "100 µs" 1e5, "1 ms" 1e6, "10 ms" 1e7, "100 ms" 1e8, "1 s" 1e9) font ",11"
set grid xtics ytics
set xlabel "n (elements, entries)"
set ylabel "time per call"
set title "Cost growth: time of one call"
set key top left
plot for [i=1:words(names)] growth index (i - 1) using 1:2 with linespoints lw 2 pt 7 ps 0.8 title word(names, i)
unset multiplot
