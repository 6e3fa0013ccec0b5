// The sample application the README's first command launches.
public class Hello {
    public static void main(String[] args) {
        System.out.println("Hello from Java " + System.getProperty("java.version")
                + " with " + args.length + " argument(s):");
        for (String arg : args) {
            System.out.println("  [" + arg + "]");
        }
        System.out.println("QUARNEL_JVM_HOME=" + System.getenv("QUARNEL_JVM_HOME"));
    }
}
