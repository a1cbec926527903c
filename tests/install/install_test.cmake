# Installs the build tree into a scratch prefix, then builds a small C
# program against it twice, as another project would: through the CMake
# package (find_package(Orven), Orven::ORVEN_M) and through pkg-config
# (orven.pc). Each program must run from the installed tree and speak.
#   cmake -DBUILD=<build tree> -DSOURCE=<tests/install> -DSCRATCH=<dir> -DCC=<compiler> -P install_test.cmake
file(REMOVE_RECURSE ${SCRATCH})
set(prefix ${SCRATCH}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "failed (${code}): ${ARGN}\n${out}\n${err}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

# The CMake package.
run(${CMAKE_COMMAND} -S ${SOURCE}/consumer -B ${SCRATCH}/with-cmake -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_C_COMPILER=${CC})
run(${CMAKE_COMMAND} --build ${SCRATCH}/with-cmake)
file(READ ${SCRATCH}/with-cmake/voices.txt voices)
run(${SCRATCH}/with-cmake/consumer ${voices} ${SCRATCH}/cmake.wav)

# pkg-config.
find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs orven OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE code)
execute_process(COMMAND ${PKG_CONFIG} --variable=voicesdir orven OUTPUT_VARIABLE pcVoices
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT code EQUAL 0 OR NOT IS_DIRECTORY "${pcVoices}")
  message(FATAL_ERROR "pkg-config does not know orven: '${flags}', voices '${pcVoices}'")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${CC} ${SOURCE}/consumer/main.c -o ${SCRATCH}/with-pkg-config ${flags} -Wl,-rpath,${prefix}/lib)
run(${SCRATCH}/with-pkg-config ${pcVoices} ${SCRATCH}/pkg-config.wav)

foreach(wav cmake pkg-config)
  file(SIZE ${SCRATCH}/${wav}.wav size)
  if(size LESS_EQUAL 44)
    message(FATAL_ERROR "${wav}.wav holds no audio (${size} bytes)")
  endif()
endforeach()
message(STATUS "installed tree: CMake package and pkg-config both build a program that speaks")
