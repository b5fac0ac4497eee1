# Read by cpack before it packs: without these two the DEB generator would only warn and make a
# package that depends on nothing.
if(CPACK_GENERATOR STREQUAL "DEB")
  foreach(tool file dpkg-shlibdeps)
    find_program(found ${tool})
    if(NOT found)
      message(FATAL_ERROR "cpack -G DEB needs ${tool} to list the libraries the package "
        "depends on: apt-get install file dpkg-dev")
    endif()
    unset(found CACHE)
  endforeach()
endif()
