#pragma once
// The splash screen of "Splash Image" ([Application]): shown through the
// chosen runtime's own splash-screen library (the one `java -splash:` uses)
// before the JVM is created. The program's java.awt.SplashScreen loads that
// same library and finds the splash there, and AWT closes it when the
// program's first window appears, as under `java -splash:`.

class JavaLauncher;

// Shows the configured image, if any. A missing or unreadable image, a
// runtime without the library, or no display: the program starts without a
// splash screen, and the trace says why.
void showSplashScreen(const JavaLauncher& launcher) noexcept;

// Closes the splash screen shown by this process, if one is: a failure
// report must not lie behind it.
void closeSplashScreen() noexcept;
