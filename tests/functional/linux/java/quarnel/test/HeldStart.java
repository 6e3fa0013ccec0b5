package quarnel.test;

import java.lang.instrument.Instrumentation;
import java.nio.file.Files;
import java.nio.file.Paths;

// An agent that holds the JVM's creation until a file "release-agent"
// appears in the working directory, so that a test can start things while
// a first instance is still creating its JVM.
public class HeldStart {
    public static void premain(String options, Instrumentation instrumentation) throws InterruptedException {
        System.out.println("creating");
        while (!Files.exists(Paths.get("release-agent"))) {
            Thread.sleep(10);
        }
    }
}
