# Part of the install step (see ZucInstall.cmake): writes libzuc.pc for the
# prefix being installed to, then installs it like any other file (so DESTDIR
# and the install manifest apply). Needs ZUC_PC_TEMPLATE and
# ZUC_PC_DESTINATION (relative to the prefix).

# A relative --prefix is taken from the current folder, as the install does.
get_filename_component(ZUC_PC_PREFIX "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
# One file per destination, so that installs to different places (a staging
# install and the packager's) can run at the same time.
get_filename_component(pc_dir "${ZUC_PC_TEMPLATE}" DIRECTORY)
string(MD5 destination "$ENV{DESTDIR}|${ZUC_PC_PREFIX}")
set(pc_file "${pc_dir}/pkgconfig/${destination}/libzuc.pc")
configure_file("${ZUC_PC_TEMPLATE}" "${pc_file}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${ZUC_PC_DESTINATION}" TYPE FILE
     FILES "${pc_file}")
