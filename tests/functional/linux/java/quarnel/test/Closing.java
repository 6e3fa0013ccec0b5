package quarnel.test;

// A single-instance program whose shutdown hook (HeldHook) runs until a file
// "release-hook" appears in its working directory, and whose secondaryMain
// takes five seconds. With the argument "forbid-hooks" (JDK 17, whose
// security manager may still be set) nobody but the program itself may add
// or remove shutdown hooks, so nothing outside can tell that they run.
public class Closing {
    public static void main(String[] args) {
        System.out.println("main " + String.join(",", args));
        HeldHook.install();
        if (args.length > 0 && args[0].equals("forbid-hooks")) {
            forbidHooks();
        }
    }

    @SuppressWarnings("removal")
    private static void forbidHooks() {
        System.setSecurityManager(new SecurityManager() {
            @Override
            public void checkPermission(java.security.Permission permission) {
                if (permission.getName().equals("shutdownHooks")) {
                    throw new SecurityException("no hooks");
                }
            }
        });
    }

    public static void secondaryMain(String[] args) throws InterruptedException {
        System.out.println("second " + String.join(",", args));
        Thread.sleep(5000);
        System.out.println("second ends");
    }
}
