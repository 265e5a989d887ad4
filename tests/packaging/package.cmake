# The Debian package, made from this build's install rules (no second build), and its checks.
# Plain builds only: a package of a sanitizer build is no package anyone installs.
if(GRIP_SANITIZE)
  return()
endif()
find_program(LINTIAN_PROGRAM lintian REQUIRED)
find_program(DESKTOP_FILE_VALIDATE_PROGRAM desktop-file-validate REQUIRED)
find_program(APPSTREAMCLI_PROGRAM appstreamcli REQUIRED)

add_test(NAME package.deb
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR} ${CMAKE_CPACK_COMMAND} --config CPackConfig.cmake)
set_tests_properties(package.deb PROPERTIES TIMEOUT 300 FIXTURES_SETUP grip_deb)

# The hardening tags are only informational; the build's hardening must keep them all away.
add_test(NAME package.lintian COMMAND ${LINTIAN_PROGRAM} --fail-on error,warning --display-info ${GRIP_DEB_FILE})
set_tests_properties(package.lintian PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED grip_deb FAIL_REGULAR_EXPRESSION "hardening-")

# What a player's desktop and software centre read from the package, and what it depends on.
add_test(NAME package.contents
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/contents.sh ${GRIP_DEB_FILE})
set_tests_properties(package.contents PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED grip_deb)

# The game unpacked from the package, started through its link on a virtual X server.
add_test(NAME package.e2e
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/unpacked.sh ${GRIP_DEB_FILE})
set_tests_properties(package.e2e PROPERTIES TIMEOUT 120 RESOURCE_LOCK xserver FIXTURES_REQUIRED grip_deb)
