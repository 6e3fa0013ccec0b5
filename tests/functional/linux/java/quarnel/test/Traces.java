package quarnel.test;

import java.io.ByteArrayOutputStream;
import java.io.PrintStream;

// Exceptions and their printed traces, for tests that drive the JVM in-process.
public class Traces {
    public static Throwable caught() {
        try {
            nested();
        } catch (Throwable t) {
            return t;
        }
        return null;
    }

    static void nested() {
        try {
            throw new IllegalArgumentException("inner cause");
        } catch (IllegalArgumentException e) {
            throw new IllegalStateException("outer", e);
        }
    }

    // What printStackTrace writes into memory, decoded as the default charset.
    public static String printed(Throwable t) {
        ByteArrayOutputStream memory = new ByteArrayOutputStream();
        t.printStackTrace(new PrintStream(memory));
        return memory.toString();
    }

    // An exception whose trace printing fails halfway.
    public static class Unprintable extends RuntimeException {
        public Unprintable() {
            super("unprintable");
        }

        @Override
        public void printStackTrace(PrintStream s) {
            s.print("partial");
            throw new UnsupportedOperationException("no trace today");
        }
    }

    public static Throwable unprintable() {
        return new Unprintable();
    }

    // Refuses System.exit from then on.
    @SuppressWarnings("removal")
    public static void refuseExit() {
        System.setSecurityManager(new SecurityManager() {
            @Override
            public void checkExit(int status) {
                throw new SecurityException("exit " + status + " refused");
            }

            @Override
            public void checkPermission(java.security.Permission p) {
            }
        });
    }
}
