# Compares the files two builds of the program write: "index.dat" and
# "Settings.xml" from the model tests' sample, and the shipped "icons.bin".
#   cmake -DOWN=<build> -DPEER=<other build> -DEMULATOR=<wine-run> -P SameBytes.cmake
foreach(build IN ITEMS "${OWN}" "${PEER}")
  string(REPLACE "/" "_" out_name "${build}")
  set(out "${OWN}/same-bytes/${out_name}")
  file(REMOVE_RECURSE "${out}")
  file(MAKE_DIRECTORY "${out}")
  string(REPLACE "/" "\\" windows_out "Z:${out}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "QR_SAMPLE_FILES=${windows_out}"
            ${EMULATOR} "${build}/tests/model/model_tests.exe" --gtest_filter=*SampleFilesForTheComparisonOfTheBuilds
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${build}: writing the sample files failed:\n${output}")
  endif()
  file(COPY "${build}/assets-out/icons.bin" DESTINATION "${out}")
  list(APPEND outs "${out}")
endforeach()

list(GET outs 0 own_out)
list(GET outs 1 peer_out)
set(failed "")
foreach(name IN ITEMS index.dat Settings.xml icons.bin)
  if(NOT EXISTS "${own_out}/${name}" OR NOT EXISTS "${peer_out}/${name}")
    string(APPEND failed " ${name}(missing)")
    continue()
  endif()
  file(SIZE "${own_out}/${name}" size)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${own_out}/${name}" "${peer_out}/${name}"
                  RESULT_VARIABLE differ)
  if(differ)
    string(APPEND failed " ${name}")
  else()
    message(STATUS "${name}: ${size} bytes, the same in both builds")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "different bytes in the two builds:${failed}")
endif()
