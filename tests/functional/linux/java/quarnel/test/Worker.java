package quarnel.test;

import java.util.concurrent.CountDownLatch;

// A service whose main starts a worker and returns; the worker runs until
// stop() is called. Once main has returned the worker starts a program of
// its own that prints which signals it has blocked and ignored. The
// shutdown hook runs until a file "release-hook" appears.
public class Worker {
    private static final CountDownLatch stopped = new CountDownLatch(1);

    public static void main(String[] args) throws Exception {
        HeldHook.install();
        CountDownLatch mainReturned = new CountDownLatch(1);
        new Thread(() -> {
            try {
                mainReturned.await();
                Process child = new ProcessBuilder("grep", "-E", "^Sig(Blk|Ign)", "/proc/self/status")
                        .redirectErrorStream(true).start();
                String signals = new String(child.getInputStream().readAllBytes()).replace('\n', ' ');
                child.waitFor();
                System.out.println("child " + signals.trim());
                System.out.println("worker runs");
                stopped.await();
                System.out.println("worker ends");
            } catch (Exception e) {
                e.printStackTrace();
            }
        }).start();
        System.out.println("main returns");
        mainReturned.countDown();
    }

    public static void stop() {
        System.out.println("stop");
        stopped.countDown();
    }
}
