# Fails the build when the proxy/stub DLL does not export its COM entry points
# under their plain names (regsvr32 and COM look them up so; a 32-bit build
# could otherwise export stdcall-decorated names such as DllRegisterServer@0).
# Usage: cmake -DOBJDUMP=... -DDLL=... -P CheckProxyExports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${DLL}")
endif()
foreach(entry DllGetClassObject DllCanUnloadNow DllRegisterServer DllUnregisterServer GetProxyDllInfo)
  if(NOT dump MATCHES "\\] ${entry}\n")
    message(FATAL_ERROR "${DLL} does not export ${entry}")
  endif()
endforeach()
