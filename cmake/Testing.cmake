# GoogleTest and GoogleMock from the system's sources, built with the cross compiler.
set(QR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# qr_add_test_program(<name> SOURCES ... LIBS ... [LOCKS ...] [DST])
# LOCKS names what a program shares with others and must not use at the same time:
# "display" for programs whose windows use the one pointer and foreground of the X
# display, "run_key_autostart" for those that write the autostart registry value.
# One console test program per subsystem: Wine starts once per program.
# Suites whose name starts with "Dst" need a zone with daylight saving; they run
# in a second pass under EST5EDT (the run-time's own rule: clocks change at 2 AM),
# the rest under UTC0. Those whose name starts with "DstMidnight" need clocks that
# change at midnight, which no zone in the run-time's syntax can say: they run in a
# third pass whose zone is Wine's system zone, given by scripts/wine-run from
# QR_SYSTEM_ZONE (Beirut's rules), and the test program follows it instead of TZ.
function(qr_add_test_program name)
  cmake_parse_arguments(T "DST" "" "SOURCES;LIBS;LOCKS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} qr_options GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name} --gtest_filter=-Dst*)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "TZ=UTC0" TIMEOUT 600)
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(T_DST)
    add_test(NAME ${name}_dst COMMAND ${name} --gtest_filter=Dst*-DstMidnight*)
    set_tests_properties(${name}_dst PROPERTIES ENVIRONMENT "TZ=EST5EDT" TIMEOUT 600)
    add_test(NAME ${name}_dst_midnight COMMAND ${name} --gtest_filter=DstMidnight*)
    set_tests_properties(${name}_dst_midnight PROPERTIES
                         ENVIRONMENT "QR_SYSTEM_ZONE=EET-2EEST,M3.5.0/0,M10.5.0/0" TIMEOUT 600)
  endif()
endfunction()
