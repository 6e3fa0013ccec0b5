/* The least a program can do to start a JVM: load the library named first
 * on its command line, find JNI_CreateJavaVM and call it with the remaining
 * arguments as the option list, on a thread of its own with the default
 * stack, as a JVM is created (never on the process's first thread, whose
 * stack the system sized and guards). It is the yardstick of the pre-JVM
 * benchmark: what a launcher does before the JVM beyond this is its own
 * cost. A failed creation prints one line and ends with 255, as the
 * launcher does. */

#include <jni.h>

#include <stdio.h>
#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
typedef HMODULE Library;
typedef DWORD ThreadResult;
#define THREAD_CALL WINAPI
#define openLibrary(path) LoadLibraryA(path)
#define librarySymbol(library, name) ((void*)GetProcAddress(library, name))
#else
#include <dlfcn.h>
#include <pthread.h>
typedef void* Library;
typedef void* ThreadResult;
#define THREAD_CALL
#define openLibrary(path) dlopen(path, RTLD_NOW)
#define librarySymbol(library, name) dlsym(library, name)
#endif

typedef jint(JNICALL* CreateJavaVm)(JavaVM**, void**, void*);

struct Creation {
    CreateJavaVm create;
    JavaVMInitArgs args;
    JavaVM* vm;
    jint result;
};

static ThreadResult THREAD_CALL createOnThisThread(void* parameter)
{
    struct Creation* creation = parameter;
    JNIEnv* env = NULL;
    creation->result = creation->create(&creation->vm, (void**)&env, &creation->args);
    return 0;
}

/* Runs the creation on a new thread and waits for it; 0 when no thread. */
static int createOnNewThread(struct Creation* creation)
{
#ifdef _WIN32
    HANDLE thread = CreateThread(NULL, 0, createOnThisThread, creation, 0, NULL);
    if (thread == NULL) {
        return 0;
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
#else
    pthread_t thread;
    if (pthread_create(&thread, NULL, createOnThisThread, creation) != 0) {
        return 0;
    }
    pthread_join(thread, NULL);
#endif
    return 1;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s JVM-LIBRARY [JVM-OPTION...]\n", argv[0]);
        return 2;
    }
    Library library = openLibrary(argv[1]);
    if (library == NULL) {
        printf("Error: cannot load %s \n", argv[1]);
        return 255;
    }
    struct Creation creation;
    creation.create = (CreateJavaVm)librarySymbol(library, "JNI_CreateJavaVM");
    if (creation.create == NULL) {
        printf("Error: %s has no JNI_CreateJavaVM \n", argv[1]);
        return 255;
    }

    /* The arguments themselves outlive the call: only the array is made. */
    const int count = argc - 2;
    JavaVMOption* options = calloc(count > 0 ? (size_t)count : 1, sizeof *options);
    if (options == NULL) {
        return 255;
    }
    for (int i = 0; i < count; ++i) {
        options[i].optionString = argv[i + 2];
    }
    creation.args.version = JNI_VERSION_1_2;
    creation.args.nOptions = count;
    creation.args.options = count > 0 ? options : NULL;
    creation.args.ignoreUnrecognized = JNI_FALSE;
    creation.vm = NULL;
    creation.result = JNI_ERR;

    if (!createOnNewThread(&creation)) {
        printf("Error: cannot start a thread \n");
        return 255;
    }
    free(options);
    if (creation.result != JNI_OK) {
        printf("Error: JNI_CreateJavaVM failed (%d) \n", (int)creation.result);
        fflush(stdout);
        return 255;
    }
    (*creation.vm)->DestroyJavaVM(creation.vm);
    return 0;
}
