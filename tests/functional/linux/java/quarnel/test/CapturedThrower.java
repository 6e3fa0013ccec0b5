package quarnel.test;

import java.io.PrintStream;

// main throws an exception that says so on System.out whenever its trace is
// printed anywhere but System.err, which is where the JVM's own description
// of an uncaught exception goes: the line shows that the launcher captured
// the trace.
public class CapturedThrower {
    static class Noticing extends RuntimeException {
        Noticing() {
            super("noticed");
        }

        @Override
        public void printStackTrace(PrintStream s) {
            if (s != System.err) {
                System.out.println("trace captured");
            }
            super.printStackTrace(s);
        }
    }

    public static void main(String[] args) {
        throw new Noticing();
    }
}
