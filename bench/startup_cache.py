"""Start-up cache benchmark: real applications from Debian's packages started
through the launcher with "Startup Cache=yes", against `java -cp` with the
same JDK and class path.

For each JDK and application it prints:
  - steady state: the median wall time of starts that use the cache, and of
    starts without the key, each as a ratio to `java -cp`; the class path, the same for all
    three, lists the application's jar and the jars its manifest names; the three kinds
    of start run interleaved, in alternating order;
  - first run: the start that records (the cache folder emptied before it)
    as a ratio to `java -cp`, and how long the background job then took to
    leave the archive.
The sample program (sample/Hello.java, from its classes folder, as the
README's first command runs it) shows what the cache does to a small
program. Each start's standard output and error are compared with those of
the launcher without the key.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

RUNS = int(os.environ.get("RUNS", "9"))
FIRST_RUNS = int(os.environ.get("FIRST_RUNS", "3"))

# name: (class path, JVM properties, main class, arguments)
APPS = {
    "clojure": (["/usr/share/java/clojure.jar"], [], "clojure.main", ["-e", "(println (+ 1 2))"]),
    "groovy": (["/usr/share/java/groovy-all.jar"], [], "groovy.ui.GroovyMain", ["-e", "println 1+2"]),
    "rhino": (["/usr/share/java/rhino.jar"], [], "org.mozilla.javascript.tools.shell.Main", ["-e", "print(1+2)"]),
    "jython": (["/usr/share/java/jython.jar"], ["-Dpython.home=/usr/share/jython"], "org.python.util.jython",
               ["-c", "print 1+2"]),
}


def listed_class_path(jar):
    """The jar and the jars its manifest's Class-Path names, as a product
    lists its jars in "Class Path": the JVM archives no class of a jar that
    only a manifest names."""
    with zipfile.ZipFile(jar) as archive:
        manifest = archive.read("META-INF/MANIFEST.MF").decode("utf-8", "replace")
    joined = manifest.replace("\r\n", "\n").replace("\n ", "")
    named = []
    for line in joined.split("\n"):
        if line.startswith("Class-Path:"):
            named = [p for p in line[len("Class-Path:"):].split() if os.path.exists(p)]
    return [jar] + named


def run(command, env, cwd):
    start = time.perf_counter()
    result = subprocess.run(command, env=env, cwd=cwd, capture_output=True)
    return time.perf_counter() - start, (result.returncode, result.stdout, result.stderr)


def await_archive(folder, limit=300):
    """Seconds until the job leaves one archive and nothing in the making;
    None when no archive is coming (the cache is unavailable, or failed)."""
    start = time.perf_counter()
    while time.perf_counter() - start < limit:
        names = os.listdir(folder) if os.path.isdir(folder) else []
        making = [n for n in names if n.count(".") > 1]
        if any(n.endswith(".failed") for n in names) or not names:
            return None
        if not making and any(n.endswith((".jsa", ".aot")) for n in names):
            return time.perf_counter() - start
        time.sleep(0.02)
    return None


def bench(launcher, jdk, name, work):
    class_path, properties, main, arguments = APPS[name]
    if name != "sample":
        class_path = listed_class_path(class_path[0])
    product = os.path.join(work, name)
    os.makedirs(product)
    cache_root = os.path.join(product, "cache")
    env = dict(os.environ, XDG_CACHE_HOME=cache_root)
    env.pop("QUARNEL_TRACE", None)
    commands = {}
    for kind, key in (("cached", "Startup Cache=yes\n"), ("launcher", "")):
        exe = os.path.join(product, kind)
        shutil.copy(launcher, exe)
        with open(exe + ".ini", "w") as ini:
            ini.write(f"[Java Runtime Environment]\nMain Class={main}\nJRE Path={jdk}\n"
                      f"Virtual Machine Parameters={' '.join(properties)}\n"
                      f"[Class Path]\nClass Path={':'.join(class_path)}\n[Application]\n{key}")
        commands[kind] = [exe] + arguments
    commands["java"] = [f"{jdk}/bin/java"] + properties + ["-cp", ":".join(class_path), main] + arguments
    _, expected = run(commands["launcher"], env, product)
    folder = os.path.join(cache_root, "quarnel")

    first, plain_first, jobs = [], [], []
    for _ in range(FIRST_RUNS):
        shutil.rmtree(folder, ignore_errors=True)
        plain_first.append(run(commands["java"], env, product)[0])
        seconds, output = run(commands["cached"], env, product)
        first.append(seconds)
        if output != expected:
            print(f"  {name}: first run's output differs: {output!r}")
        jobs.append(await_archive(folder))

    times = {kind: [] for kind in commands}
    for i in range(RUNS):
        order = list(commands) if i % 2 == 0 else list(reversed(commands))
        for kind in order:
            seconds, output = run(commands[kind], env, product)
            times[kind].append(seconds)
            if kind != "java" and output != expected:
                print(f"  {name}: {kind}'s output differs: {output!r}")
    java = statistics.median(times["java"])
    return {
        "java": java,
        "cached": statistics.median(times["cached"]) / java,
        "launcher": statistics.median(times["launcher"]) / java,
        "first": statistics.median(first) / statistics.median(plain_first),
        "job": None if None in jobs else statistics.median(jobs),
    }


def main(launcher, jdks):
    for jdk in jdks:
        if not os.path.exists(f"{jdk}/bin/java"):
            print(f"{jdk}: not present, skipped")
            continue
        version = subprocess.run([f"{jdk}/bin/java", "-version"], capture_output=True, text=True).stderr.split("\n")[0]
        print(f"{version} ({RUNS} interleaved starts of each kind; first run: {FIRST_RUNS})")
        print(f"  {'':10}{'java -cp':>10}{'cached':>9}{'no key':>9}{'first run':>11}{'job':>8}")
        work = tempfile.mkdtemp(prefix="quarnel-cache-bench-")
        ratios = []
        classes = os.path.join(work, "sample-classes")
        sample = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sample", "Hello.java")
        subprocess.run([f"{jdk}/bin/javac", "-d", classes, sample], check=True)
        try:
            APPS["sample"] = ([classes], [], "Hello", ["one"])
            for name in APPS:
                if not os.path.exists(APPS[name][0][0]):
                    print(f"  {name}: not installed, skipped")
                    continue
                r = bench(launcher, jdk, name, work)
                if name != "sample":
                    ratios.append(r["cached"])
                job = "none" if r["job"] is None else f"{r['job']:.1f}s"
                print(f"  {name:10}{r['java'] * 1000:8.0f}ms{r['cached']:8.2f}x{r['launcher']:8.2f}x"
                      f"{r['first']:10.2f}x{job:>8}", flush=True)
        finally:
            shutil.rmtree(work, ignore_errors=True)
        if ratios:
            print(f"  median ratio with the cache: {statistics.median(ratios):.2f}x over {len(ratios)} applications"
                  " (the sample left out)")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
