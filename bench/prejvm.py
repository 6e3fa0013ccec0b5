"""Pre-JVM benchmark: the launcher against the minimal loader.

Both load the same stand-in JVM library, which fails JNI_CreateJavaVM at
once, so each process is only its own work up to the JVM and a short exit.
The loader gets the very options the launcher hands the JVM for the
benchmark's configuration (read from the launcher's trace). Every round
runs both sides, in alternating order, and the medians and their ratios
are printed:

  Linux: before the JVM, the CPU time of the process (user + system) when
         JNI_CreateJavaVM is entered, as the stand-in reads it, and the
         system calls up to the stand-in's marker call (strace -f), with
         the calls that differ; then the same two over the whole process
         (CPU from wait4, every traced call), the exit included;
  wine:  wall time from starting the process to JNI_CreateJavaVM (the
         stand-in notes the moment it is entered) and to the end.

Usage: prejvm.py linux LAUNCHER LOADER STANDIN_SO
       prejvm.py wine  LAUNCHER_EXE LOADER_EXE STANDIN_DLL PREFIX
Environment: RUNS (Linux CPU rounds, 400), STRACE_RUNS (7), WINE_RUNS (41).
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

WINE = "/usr/lib/wine/wine64"

INI = """[Java Runtime Environment]
Main Class=bench.Main
JRE Path={jre}
Virtual Machine Parameters=-Xmx50p -Dfile.encoding=UTF-8
[Class Path]
Class Path={classpath}
"""


def fail(message):
    sys.exit(f"bench-prejvm: {message}")


# The stand-in's first call on entry to JNI_CreateJavaVM (Linux).
MARKER = '"/standin-jvm-entered"'


def entry_of(stderr):
    """The fields of the stand-in's line: nanoseconds since 1970, then on
    Linux the process's CPU microseconds so far."""
    for line in stderr.splitlines():
        if line.startswith("standin-jvm: "):
            return [int(field) for field in line.split()[1:]]
    return None


def stamp_of(stderr):
    entry = entry_of(stderr)
    return entry[0] if entry else None


def checked_options(command, env):
    """The JVM options of one traced launch, after checking that it got as
    far as the stand-in and ended as the benchmark expects."""
    run = subprocess.run(command, env=dict(env, QUARNEL_TRACE="1"), capture_output=True, text=True)
    options = [line.split("JVM option ", 1)[1] for line in run.stderr.splitlines() if " JVM option " in line]
    if stamp_of(run.stderr) is None or (run.returncode & 0xFF) != 0xFF or not options:
        fail(f"the launcher did not reach the stand-in JVM as expected (exit {run.returncode}):\n"
             f"{run.stdout}{run.stderr}")
    return options


def check_loader(command, env):
    run = subprocess.run(command, env=env, capture_output=True, text=True)
    if stamp_of(run.stderr) is None or (run.returncode & 0xFF) != 0xFF:
        fail(f"the minimal loader did not reach the stand-in JVM (exit {run.returncode}):\n{run.stdout}{run.stderr}")


def interleaved(rounds, sides, measure):
    """measure(command) for each side, `rounds` times, the order swapped
    every round so that neither side always runs on the other's caches."""
    results = {name: [] for name, _ in sides}
    for round_ in range(rounds):
        for name, command in (sides if round_ % 2 == 0 else list(reversed(sides))):
            results[name].append(measure(command))
    return results


def cpu_ms(command, env):
    """(CPU ms when the JVM is entered, CPU ms of the whole process)."""
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    stderr = process.stderr.read()
    process.stderr.close()
    _, _, usage = os.wait4(process.pid, 0)
    entry = entry_of(stderr)
    if entry is None or len(entry) < 2:
        fail(f"no CPU time from the stand-in in:\n{stderr}")
    return entry[1] / 1000, (usage.ru_utime + usage.ru_stime) * 1000


# A call as strace -f writes it: "PID name(" (an unfinished call's first
# half included, its "<... name resumed>" second half not).
CALL = re.compile(r"^\d+\s+([a-z_0-9]+)\(")


def syscalls(command, env, work):
    """(calls by name up to the stand-in's marker, calls by name in all) of
    one run, children included."""
    output = os.path.join(work, "strace.out")
    subprocess.run(["strace", "-f", "-o", output, *command], env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    before, whole = None, {}
    with open(output) as trace:
        for line in trace:
            if before is None and MARKER in line:
                before = dict(whole)
            call = CALL.match(line)
            if call:
                whole[call.group(1)] = whole.get(call.group(1), 0) + 1
    if before is None:
        fail(f"no marker call of the stand-in in the trace of {command[0]}")
    return before, whole


def opens_of(command, env, work, path):
    output = os.path.join(work, "opens.out")
    subprocess.run(["strace", "-f", "-e", "trace=open,openat,readlink", "-o", output, *command], env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(output) as trace:
        text = trace.read()
    return text.count(f'"{path}"'), text.count('"/proc/self/exe"')


def ratio_line(label, ours, theirs, unit):
    print(f"{label:32}{ours:10.3f}{theirs:10.3f} {unit:8}{ours / theirs:8.3f}")


def linux(launcher, loader, standin):
    env = {k: v for k, v in os.environ.items() if k not in ("QUARNEL_TRACE", "JAVA_HOME")}
    work = tempfile.mkdtemp(prefix="quarnel-prejvm-")
    try:
        jre = os.path.join(work, "jre")
        os.makedirs(os.path.join(jre, "lib", "server"))
        open(os.path.join(jre, "lib", "libjava.so"), "w").close()
        library = os.path.join(jre, "lib", "server", "libjvm.so")
        shutil.copy(standin, library)
        product = os.path.join(work, "prejvm")
        shutil.copy(launcher, product)
        ini = product + ".ini"
        with open(ini, "w") as out:
            out.write(INI.format(jre=jre, classpath=os.path.join(work, "app.jar")))
        ours = [product]
        theirs = [loader, library, *checked_options(ours, env)]
        check_loader(theirs, env)
        sides = [("launcher", ours), ("loader", theirs)]

        runs = int(os.environ.get("RUNS", "400"))
        cpu = interleaved(runs, sides, lambda command: cpu_ms(command, env))
        calls = interleaved(int(os.environ.get("STRACE_RUNS", "7")), sides,
                            lambda command: syscalls(command, env, work))

        print(f"Linux: {runs} rounds (CPU), {len(calls['launcher'])} under strace, sides alternating; medians")
        print(f"{'':32}{'launcher':>10}{'loader':>10} {'':8}{'ratio':>8}")
        for index, scope in ((0, "before the JVM"), (1, "whole process")):
            print(scope)
            ratio_line("  CPU time, user + system", statistics.median(c[index] for c in cpu["launcher"]),
                       statistics.median(c[index] for c in cpu["loader"]), "ms")
            per_side = {name: [c[index] for c in runs_] for name, runs_ in calls.items()}
            ratio_line("  system calls", statistics.median(sum(c.values()) for c in per_side["launcher"]),
                       statistics.median(sum(c.values()) for c in per_side["loader"]), "calls")
            # The calls whose median counts differ say where the rest goes.
            names = sorted(set().union(*(c.keys() for runs_ in per_side.values() for c in runs_)))
            differing = []
            for name in names:
                a = statistics.median(c.get(name, 0) for c in per_side["launcher"])
                b = statistics.median(c.get(name, 0) for c in per_side["loader"])
                if a != b:
                    differing.append(f"{name} {a:g}/{b:g}")
            print("    differing (launcher/loader): " + ", ".join(differing))
        ini_opens, module_reads = opens_of(ours, env, work, ini)
        print(f"  launcher: configuration file opened {ini_opens}x, /proc/self/exe read {module_reads}x")
    finally:
        shutil.rmtree(work)


def wine_times(command, env):
    # A start right after the previous process ended often waits some 25 ms
    # for wine to finish that one's teardown, at random, whichever side it
    # was: a pause before every start keeps that out of both sides.
    time.sleep(0.1)
    start = time.time_ns()
    run = subprocess.run([WINE, *command], env=env, capture_output=True, text=True)
    end = time.time_ns()
    stamp = stamp_of(run.stderr)
    if stamp is None:
        fail(f"no stand-in entry under wine (exit {run.returncode}):\n{run.stdout}{run.stderr}")
    return (stamp - start) / 1e6, (end - start) / 1e6


def wine(launcher, loader, standin, prefix):
    env = {k: v for k, v in os.environ.items() if k not in ("QUARNEL_TRACE", "JAVA_HOME")}
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    display = os.path.join(prefix, ".xvfb-display")
    if os.path.exists(display):  # as the Windows tests see it
        with open(display) as number:
            env["DISPLAY"] = ":" + number.read().strip()
    folder = os.path.join(prefix, "drive_c", "qtbench")
    shutil.rmtree(folder, ignore_errors=True)
    try:
        os.makedirs(os.path.join(folder, "jre", "bin", "server"))
        open(os.path.join(folder, "jre", "bin", "java.dll"), "w").close()
        shutil.copy(standin, os.path.join(folder, "jre", "bin", "server", "jvm.dll"))
        shutil.copy(launcher, os.path.join(folder, "prejvm.exe"))
        shutil.copy(loader, os.path.join(folder, "minimal_loader.exe"))
        with open(os.path.join(folder, "prejvm.ini"), "w", newline="\r\n") as out:
            out.write(INI.format(jre="C:\\qtbench\\jre", classpath="C:\\qtbench\\app.jar"))
        ours = ["C:\\qtbench\\prejvm.exe"]
        theirs = ["C:\\qtbench\\minimal_loader.exe", "C:\\qtbench\\jre\\bin\\server\\jvm.dll",
                  *checked_options([WINE, *ours], env)]
        check_loader([WINE, *theirs], env)
        sides = [("launcher", ours), ("loader", theirs)]
        # One untimed round, so that neither side pays for a cold prefix.
        interleaved(1, sides, lambda command: wine_times(command, env))
        runs = int(os.environ.get("WINE_RUNS", "41"))
        times = interleaved(runs, sides, lambda command: wine_times(command, env))
        print(f"wine64: {runs} rounds, sides alternating; medians")
        print(f"{'':32}{'launcher':>10}{'loader':>10} {'':8}{'ratio':>8}")
        for index, label in ((0, "wall time to JNI_CreateJavaVM"), (1, "wall time to the end")):
            ratio_line(label, statistics.median(t[index] for t in times["launcher"]),
                       statistics.median(t[index] for t in times["loader"]), "ms")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "linux":
        linux(*sys.argv[2:])
    elif len(sys.argv) == 6 and sys.argv[1] == "wine":
        wine(*sys.argv[2:])
    else:
        fail(__doc__)
