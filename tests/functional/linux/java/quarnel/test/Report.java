package quarnel.test;

import java.lang.management.ManagementFactory;

// Prints what its arguments ask about, one "name=value" line each:
//   property:NAME  a system property
//   env:NAME       an environment variable
//   options        every option the JVM was created with, in order
//   maxMemory      Runtime.maxMemory()
//   stack:BYTES    how deep a recursion gets on the main thread and on a
//                  thread created with a stack of BYTES; run with -Xint, so
//                  that every frame has the interpreter's size
public class Report {
    private static int depth;

    private static void descend() {
        ++depth;
        descend();
    }

    private static int recursionDepth() {
        depth = 0;
        try {
            descend();
        } catch (StackOverflowError e) {
            // the depth reached is the answer
        }
        return depth;
    }

    public static void main(String[] args) throws InterruptedException {
        for (String request : args) {
            if (request.startsWith("property:")) {
                String name = request.substring("property:".length());
                System.out.println(name + "=" + System.getProperty(name));
            } else if (request.startsWith("env:")) {
                String name = request.substring("env:".length());
                System.out.println(name + "=" + System.getenv(name));
            } else if (request.equals("options")) {
                for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
                    System.out.println("option=" + option);
                }
            } else if (request.equals("maxMemory")) {
                System.out.println("maxMemory=" + Runtime.getRuntime().maxMemory());
            } else if (request.startsWith("stack:")) {
                long size = Long.parseLong(request.substring("stack:".length()));
                System.out.println("mainDepth=" + recursionDepth());
                int[] sized = new int[1];
                Thread thread = new Thread(null, () -> sized[0] = recursionDepth(), "sized", size);
                thread.start();
                thread.join();
                System.out.println("threadDepth=" + sized[0]);
            } else {
                System.out.println("unknown request " + request);
            }
        }
    }
}
