package quarnel.test;

import java.nio.file.Files;
import java.nio.file.Paths;

// A first instance that runs until a file "quit" appears in its working
// directory, printing each hand-over whole in one line: the count, then
// every argument's length and text.
public class Single {
    public static void main(String[] args) throws InterruptedException {
        System.out.println("main " + String.join(",", args));
        while (!Files.exists(Paths.get("quit"))) {
            Thread.sleep(20);
        }
        System.out.println("main ends");
    }

    public static void secondaryMain(String[] args) {
        StringBuilder line = new StringBuilder("second " + args.length);
        for (String arg : args) {
            line.append(" ").append(arg.length()).append(":").append(arg);
        }
        System.out.println(line);
    }
}
