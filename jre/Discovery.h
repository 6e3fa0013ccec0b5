#pragma once
// Finding the JVM library: the configured folder, a runtime beside the
// launcher, then the registered runtimes; the JRE Not Found dialog when none
// fits.

class JavaLauncher;

// True with launcher.jvmPath set, or when the dialog was confirmed; false when
// no runtime was found and the user did not confirm one.
[[nodiscard]] bool locateJvm(JavaLauncher& launcher) noexcept;
