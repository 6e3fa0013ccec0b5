/* A JVM library of the other machine for the 64-bit launcher's tests: a real
 * 32-bit x86 DLL with the two entry points the launcher looks for. Discovery
 * has to pass over it, and naming it as "JRE Path" has to fail the load, so
 * no 64-bit process ever runs it; what it would do when run is beside the
 * point, and it does nothing. */

__declspec(dllexport) int __stdcall JNI_CreateJavaVM(void** vm, void** env, void* args)
{
    (void)vm;
    (void)env;
    (void)args;
    return -1;
}

__declspec(dllexport) int __stdcall JNI_GetDefaultJavaVMInitArgs(void* args)
{
    (void)args;
    return -1;
}
