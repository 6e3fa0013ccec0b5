// The sample application the README's first command launches.
public class Hello {
    public static void main(String[] args) {
        System.out.println("Hello from Java " + System.getProperty("java.version")
                + " with " + args.length + " argument(s):");
        for (String arg : args) {
            System.out.println("  [" + arg + "]");
        }
        System.out.println("sample.note=" + System.getProperty("sample.note"));
        System.out.println("max heap: " + Runtime.getRuntime().maxMemory() / (1024 * 1024) + " MiB");
        System.out.println("QUARNEL_JVM_HOME=" + System.getenv("QUARNEL_JVM_HOME"));
    }
}
