package quarnel.test;

import java.nio.file.Files;
import java.nio.file.Paths;

// A shutdown hook that runs until a file "release-hook" appears in the
// working directory, so that a test decides how long the shutdown takes.
public class HeldHook extends Thread {
    public static void install() {
        Runtime.getRuntime().addShutdownHook(new HeldHook());
    }

    @Override
    public void run() {
        System.out.println("hook starts");
        try {
            while (!Files.exists(Paths.get("release-hook"))) {
                Thread.sleep(10);
            }
        } catch (InterruptedException e) {
            return;
        }
        System.out.println("hook ends");
    }
}
