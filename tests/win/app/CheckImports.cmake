# Torvan.exe must run on a bare Windows: a GUI program importing nothing
# but the system's own DLLs (zlib and the C++ runtime are linked in).
# Run as: cmake -DOBJDUMP=... -DEXE=... -P CheckImports.cmake
cmake_policy(SET CMP0057 NEW)  # IN_LIST
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump failed on ${EXE}")
endif()
if(NOT dump MATCHES "Subsystem[ \t]+00000002")
  message(FATAL_ERROR "${EXE} is not a Windows GUI program")
endif()
set(system_dlls kernel32 user32 gdi32 comctl32 comdlg32 shell32 ole32 oleaut32 advapi32 msvcrt)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(line IN LISTS imports)
  string(REGEX REPLACE "DLL Name: ([^.]+)\\.[dD][lL][lL].*" "\\1" name "${line}")
  string(TOLOWER "${name}" name)
  if(NOT name IN_LIST system_dlls)
    message(FATAL_ERROR "${EXE} imports ${line}, which is not a system DLL")
  endif()
endforeach()
message(STATUS "imports: ${imports}")
