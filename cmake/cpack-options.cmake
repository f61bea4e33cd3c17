# Per package: the .deb installs under /usr; the .tar.gz and the .zip hold
# the files at their top folder (bin/kalvert, share/man/..., README.md).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
else()
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
