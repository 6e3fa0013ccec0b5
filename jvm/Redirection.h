#pragma once
// System.out and System.err into the configured files, done inside the JVM
// on the Java thread right after creation, so that everything the program
// prints lands there. The launcher's own error lines stay on the console.

class JavaLauncher;

// Each replaces the stream with a PrintStream on a new FileOutputStream of
// outputFile / errorFile (created, or emptied when it exists). False when a
// step failed; the Java exception that caused it has been described and
// cleared, and the stream keeps its previous target.
[[nodiscard]] bool redirectStandardOutput(JavaLauncher& launcher) noexcept;
[[nodiscard]] bool redirectStandardError(JavaLauncher& launcher) noexcept;
