# The chart of docs/benchmarks.md, drawn by bench/report.py: one call's time
# against n for each cost-growth benchmark (gnuplot -e "data=...; output=...; count=N").
set terminal pngcairo size 1000,650 font "DejaVu Sans,11" noenhanced
set output output
set logscale xy 10
set format x "%.0s%c"
set ytics ("1 ns" 1, "10 ns" 10, "100 ns" 100, "1 µs" 1e3, "10 µs" 1e4, "100 µs" 1e5, "1 ms" 1e6, "10 ms" 1e7, "100 ms" 1e8)
set grid xtics ytics
set key top left
set xlabel "n (elements, entries)"
set ylabel "time of one call"
set title "libzuc on the host: how the cost of a call grows with n"
plot for [i=0:count-1] data index i using 1:2 with linespoints lw 2 pt 7 ps 0.8 title columnheader(1)
