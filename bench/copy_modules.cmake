# cmake -DSOURCE=<dll> -DFOLDER=<dir> -DCOUNT=<n> -P copy_modules.cmake
# Copies one DLL to FOLDER/bench_module_0001.dll ... bench_module_<n>.dll.
file(MAKE_DIRECTORY ${FOLDER})
foreach(i RANGE 1 ${COUNT})
  string(LENGTH "${i}" digits)
  math(EXPR pad "4 - ${digits}")
  string(REPEAT "0" ${pad} zeros)
  file(COPY_FILE ${SOURCE} ${FOLDER}/bench_module_${zeros}${i}.dll ONLY_IF_DIFFERENT)
endforeach()
