package quarnel.test;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.TreeSet;

// Prints its arguments; asked with "maps" first, also the start-up cache
// files the JVM has mapped into the process; with "exit N" after that, ends
// through System.exit(N).
public class CacheProbe {
    public static void main(String[] args) throws Exception {
        System.out.println("probe " + String.join(" ", args));
        if (args.length > 0 && args[0].equals("maps")) {
            TreeSet<String> mapped = new TreeSet<>();
            for (String line : Files.readAllLines(Path.of("/proc/self/maps"))) {
                int slash = line.indexOf("/quarnel/");
                if (slash >= 0) {
                    mapped.add(line.substring(slash + 9));
                }
            }
            for (String name : mapped) {
                System.out.println("mapped " + name);
            }
        }
        if (args.length > 2 && args[1].equals("exit")) {
            System.exit(Integer.parseInt(args[2]));
        }
    }
}
