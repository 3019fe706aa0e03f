# What a shipped Windows binary must be, read from its headers alone, so it
# holds for a build this machine cannot run: it imports nothing but the
# system's own DLLs (zlib and the C++ runtime are linked in), a program is a
# GUI program, and a library exports exactly its entry points, undecorated,
# at ordinals 1, 2, 3... in the order given.
# Run as: cmake -DOBJDUMP=... -DBINARY=... [-DGUI=ON] [-DEXPORTS=a,b,c] -P CheckBinary.cmake
cmake_policy(SET CMP0057 NEW)  # IN_LIST
# Its English headings are what is parsed below, whatever the locale.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${OBJDUMP} -p ${BINARY}
                OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump failed on ${BINARY}")
endif()
if(GUI AND NOT dump MATCHES "Subsystem[ \t]+00000002")
  message(FATAL_ERROR "${BINARY} is not a Windows GUI program")
endif()

set(system_dlls kernel32 user32 gdi32 comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 advapi32 msvcrt)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(line IN LISTS imports)
  string(REGEX REPLACE "DLL Name: ([^.]+)\\.[dD][lL][lL].*" "\\1" name "${line}")
  string(TOLOWER "${name}" name)
  if(NOT name IN_LIST system_dlls)
    message(FATAL_ERROR "${BINARY} imports ${line}, which is not a system DLL")
  endif()
endforeach()
message(STATUS "imports: ${imports}")

if(DEFINED EXPORTS)
  if(NOT dump MATCHES "Ordinal Base[ \t]+1\n")
    message(FATAL_ERROR "${BINARY}: exports do not start at ordinal 1")
  endif()
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${dump}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${table}")
  string(REPLACE "," ";" names "${EXPORTS}")
  set(expected "")
  set(index 0)
  foreach(name IN LISTS names)
    list(APPEND expected "[ ${index}] ${name}")
    math(EXPR index "${index} + 1")
  endforeach()
  string(REGEX REPLACE "\\[ +" "[ " rows "${rows}")
  if(NOT rows STREQUAL expected)
    message(FATAL_ERROR "${BINARY} exports '${rows}', expected '${expected}'")
  endif()
  message(STATUS "exports: ${rows}")
endif()
