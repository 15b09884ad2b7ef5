/* No TLS directory in nicprop.dll: Windows 95 refuses to load a DLL that has one (error
   1114).  MinGW's DLL start-up code asks for the runtime's TLS support only through this
   callback pointer; defining it here, empty, keeps that support (and its TLS directory)
   out of the link.  The library has no thread-local data, so nothing is lost. */
#include <windows.h>

const PIMAGE_TLS_CALLBACK __dyn_tls_init_callback = NULL;
