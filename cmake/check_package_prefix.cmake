# Run by CPack before it builds the package: the program looks for its clips
# under the prefix it was configured with, which must be where the package
# puts them.
if(NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "vantor: the package must be made from a build configured with "
                      "-DCMAKE_INSTALL_PREFIX=/usr, not ${CPACK_PACKAGING_INSTALL_PREFIX}")
endif()
