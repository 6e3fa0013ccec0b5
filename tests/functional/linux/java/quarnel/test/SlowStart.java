package quarnel.test;

import java.util.concurrent.CountDownLatch;

// A program that takes its time before main can be called (the JVM
// initialises the class first), and runs until stop() or a hand-over.
public class SlowStart {
    private static final CountDownLatch stopped = new CountDownLatch(1);

    static {
        System.out.println("initialising");
        try {
            Thread.sleep(1500);
        } catch (InterruptedException e) {
            throw new IllegalStateException(e);
        }
    }

    public static void main(String[] args) throws InterruptedException {
        System.out.println("main runs");
        stopped.await();
        System.out.println("main returns");
    }

    public static void stop() {
        stopped.countDown();
    }

    public static void secondaryMain(String[] args) {
        System.out.println("second " + String.join(",", args));
        stopped.countDown();
    }
}
