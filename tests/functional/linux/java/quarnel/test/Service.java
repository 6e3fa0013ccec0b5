package quarnel.test;

import java.util.concurrent.CountDownLatch;

// A service whose stop() makes main return; its shutdown hook shows when
// the JVM ran it.
public class Service {
    private static final CountDownLatch stopped = new CountDownLatch(1);

    public static void main(String[] args) throws InterruptedException {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> System.out.println("hook")));
        System.out.println("main runs");
        stopped.await();
        System.out.println("main returns");
    }

    public static void stop() {
        System.out.println("stop");
        stopped.countDown();
    }
}
