# Compares the dynamic symbols a library defines (nm -D --defined-only) with
# the names it is meant to export, printed by engine_export_names.
#   cmake -DNM=nm -DLIBRARY=libKORSYN.so -DNAMES=engine_export_names -DWHICH=KORSYN -P check_exports.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE nm_out RESULT_VARIABLE nm_rc ERROR_VARIABLE nm_err)
if(NOT nm_rc EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${nm_err}")
endif()
execute_process(COMMAND ${NAMES} ${WHICH} OUTPUT_VARIABLE names_out RESULT_VARIABLE names_rc)
if(NOT names_rc EQUAL 0)
  message(FATAL_ERROR "${NAMES} ${WHICH} failed")
endif()

set(actual)
string(REPLACE "\n" ";" nm_lines "${nm_out}")
foreach(line IN LISTS nm_lines)
  # "<address> <type> <name>[@version]"
  if(line MATCHES "^[0-9A-Fa-f]* *[A-Za-z] ([^@ ]+)")
    list(APPEND actual ${CMAKE_MATCH_1})
  endif()
endforeach()
string(REPLACE "\n" ";" expected "${names_out}")
list(REMOVE_ITEM expected "")
list(SORT actual)
list(SORT expected)
list(REMOVE_DUPLICATES expected)

set(extra ${actual})
list(REMOVE_ITEM extra ${expected})
set(missing ${expected})
list(REMOVE_ITEM missing ${actual})
list(LENGTH expected count)
if(extra OR missing)
  message(FATAL_ERROR "${LIBRARY}: unexpected exports [${extra}], missing exports [${missing}]")
endif()
message(STATUS "${WHICH}: exactly the ${count} expected names")
