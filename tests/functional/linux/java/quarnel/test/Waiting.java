package quarnel.test;

import java.nio.file.Files;
import java.nio.file.Path;

// Prints "waiting", then runs until a file "release" appears in the working
// directory (a minute at most).
public class Waiting {
    public static void main(String[] args) throws InterruptedException {
        System.out.println("waiting");
        for (int i = 0; i < 3000 && !Files.exists(Path.of("release")); ++i) {
            Thread.sleep(20);
        }
    }
}
