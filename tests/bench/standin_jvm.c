/* A JVM library that is no JVM: the benchmarks load it in place of a
 * runtime's libjvm.so / jvm.dll, so that what they time is the work of the
 * program that loads it and nothing of Java's.
 *
 * JNI_CreateJavaVM notes the moment it is entered (one line on standard
 * error, "standin-jvm: <nanoseconds since 1970>") and fails at once with
 * JNI_ERR, creating nothing: a launcher then reports the failed creation
 * and ends with its failure code, deterministically and without a JVM to
 * destroy. JNI_GetDefaultJavaVMInitArgs answers as current JVMs do to the
 * version 1.1 query, with JNI_EVERSION and the arguments untouched. */

#include <jni.h>

#include <stdio.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#include <unistd.h>
#endif

static unsigned long long nowNanoseconds(void)
{
#ifdef _WIN32
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long ticks = ((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime;
    return (ticks - 116444736000000000ULL) * 100ULL; /* from 1601 in 100 ns to 1970 in ns */
#else
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return (unsigned long long)now.tv_sec * 1000000000ULL + (unsigned long long)now.tv_nsec;
#endif
}

/* One unbuffered write, so the line is out before the caller ends. */
static void noteEntry(void)
{
    char line[64];
    const int length = snprintf(line, sizeof line, "standin-jvm: %llu\n", nowNanoseconds());
    if (length <= 0) {
        return;
    }
#ifdef _WIN32
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, (DWORD)length, &written, NULL);
#else
    ssize_t ignored = write(2, line, (size_t)length);
    (void)ignored;
#endif
}

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args)
{
    (void)args;
    noteEntry();
    *vm = NULL;
    *env = NULL;
    return JNI_ERR;
}

JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args)
{
    (void)args;
    return JNI_EVERSION;
}
