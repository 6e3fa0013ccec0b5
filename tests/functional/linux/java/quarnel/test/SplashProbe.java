package quarnel.test;

import java.awt.SplashScreen;
import java.nio.file.Files;
import java.nio.file.Path;

// Says whether the program has a splash screen and what it shows; with
// "wait", then waits (a minute at most) for a file "release" in the working
// directory before it closes the splash, opening no window of its own.
public class SplashProbe {
    public static void main(String[] args) throws Exception {
        SplashScreen splash = SplashScreen.getSplashScreen();
        System.out.println("splash " + (splash != null));
        if (splash == null) {
            return;
        }
        System.out.println("image " + splash.getImageURL());
        if (args.length > 0 && args[0].equals("wait")) {
            for (int i = 0; i < 3000 && !Files.exists(Path.of("release")); ++i) {
                Thread.sleep(20);
            }
        }
        splash.close();
        System.out.println("closed " + (SplashScreen.getSplashScreen() == null));
    }
}
