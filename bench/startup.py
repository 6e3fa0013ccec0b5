"""Start-up benchmark: the Linux launcher against the JDK's own `java`.

Runs a trivial Java program both ways, alternating, and prints the medians of
time-to-main and total time and their ratio. Then measures the launcher's own
work before the JVM library is loaded: the CPU time of a launch that stops
right there, less that of a process that does nothing.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = int(os.environ.get("RUNS", "20"))


def timed(command, cwd):
    start = time.time_ns()
    out = subprocess.run(command, cwd=cwd, capture_output=True, text=True, check=True).stdout
    end = time.time_ns()
    return (int(out.split()[0]) - start) / 1e6, (end - start) / 1e6


def cpu_ms(command, cwd):
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(process.pid, 0)
    return (usage.ru_utime + usage.ru_stime) * 1000


def main(launcher, jdk):
    work = tempfile.mkdtemp(prefix="quarnel-bench-")
    try:
        subprocess.run([f"{jdk}/bin/javac", "-d", work, os.path.join(os.path.dirname(__file__), "Started.java")],
                       check=True)
        product = os.path.join(work, "started")
        shutil.copy(launcher, product)
        with open(product + ".ini", "w") as ini:
            ini.write(f"[Java Runtime Environment]\nMain Class=Started\nJRE Path={jdk}\n"
                      f"[Class Path]\nClass Path={work}\n")
        ours, theirs = ([], []), ([], [])
        for _ in range(RUNS):
            for sink, command in ((ours, [product]), (theirs, [f"{jdk}/bin/java", "-cp", work, "Started"])):
                to_main, total = timed(command, work)
                sink[0].append(to_main)
                sink[1].append(total)
        print(f"{RUNS} runs each, alternating; medians in ms")
        print(f"{'':14}{'time-to-main':>14}{'total':>10}")
        for name, (to_main, total) in (("quarnel", ours), ("java -cp", theirs)):
            print(f"{name:14}{statistics.median(to_main):14.1f}{statistics.median(total):10.1f}")
        print(f"ratio quarnel/java: time-to-main {statistics.median(ours[0]) / statistics.median(theirs[0]):.2f}, "
              f"total {statistics.median(ours[1]) / statistics.median(theirs[1]):.2f}")

        # A launch that ends where the JVM library would be loaded: the runtime
        # folder resolves, but its library is not a library.
        fake = os.path.join(work, "fake-jre")
        os.makedirs(os.path.join(fake, "lib", "server"))
        open(os.path.join(fake, "lib", "server", "libjvm.so"), "w").close()
        with open(product + ".ini", "w") as ini:
            ini.write(f"[Java Runtime Environment]\nMain Class=Started\nJRE Path={fake}\n"
                      f"Virtual Machine Parameters=-Xmx50p -Xss2m\n[Class Path]\nClass Path={work}\n")
        empty = shutil.which("true")
        ours_cpu = [cpu_ms([product], work) for _ in range(200)]
        base_cpu = [cpu_ms([empty], work) for _ in range(200)]
        print(f"launcher's own work before loading the JVM: {statistics.median(ours_cpu):.3f} ms CPU, "
              f"a process doing nothing: {statistics.median(base_cpu):.3f} ms "
              f"(difference {statistics.median(ours_cpu) - statistics.median(base_cpu):.3f} ms)")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
