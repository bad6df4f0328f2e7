# Installs the build into a fresh prefix, then builds the example against it
# twice, through find_package and through pkg-config, and runs both.
# cmake -DBUILD=... -DSOURCE=... -DWORK=... -DCC=... -DFLAGS=... -P install.cmake
function(run)
  execute_process(COMMAND ${ARGN} COMMAND_ECHO STDOUT COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

run(${CMAKE_COMMAND} -S ${SOURCE}/examples -B ${WORK}/by-cmake -G Ninja
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_FLAGS=${FLAGS} -DCMAKE_CXX_FLAGS=${FLAGS})
run(${CMAKE_COMMAND} --build ${WORK}/by-cmake)
run(${WORK}/by-cmake/koList_example)

file(GLOB_RECURSE pc_file ${prefix}/*/koList.pc)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
execute_process(COMMAND pkg-config --cflags --libs koList OUTPUT_VARIABLE pc_flags
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND pkg-config --variable=libdir koList OUTPUT_VARIABLE libdir
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags} ${FLAGS}")
run(${CC} -std=c99 -pedantic -Wall -Wextra -Werror ${SOURCE}/examples/example.c ${pc_flags}
  -o ${WORK}/by-pkg-config)
run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${WORK}/by-pkg-config)
