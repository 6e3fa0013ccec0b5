package quarnel.test;

// main returns while a non-daemon thread still has work to do.
public class Lingering {
    public static void main(String[] args) {
        Thread late = new Thread(() -> {
            try {
                Thread.sleep(500);
            } catch (InterruptedException e) {
                return;
            }
            System.out.println("late");
        });
        late.start();
        System.out.println("main done");
    }
}
