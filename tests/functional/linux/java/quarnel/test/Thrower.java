package quarnel.test;

// Line numbers matter: the tests compare the stack trace.
public class Thrower {
    public static void main(String[] args) {
        System.out.println("before");
        fail();
    }

    static void fail() {
        throw new IllegalStateException("boom");
    }
}
