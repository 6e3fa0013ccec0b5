package quarnel.test;

// What the launcher told the JVM and the process environment.
public class Environment {
    public static void main(String[] args) {
        System.out.println("QUARNEL_JVM_PATH=" + System.getenv("QUARNEL_JVM_PATH"));
        System.out.println("QUARNEL_JVM_HOME=" + System.getenv("QUARNEL_JVM_HOME"));
        System.out.println("PATH=" + System.getenv("PATH"));
        System.out.println("java.library.path=" + System.getProperty("java.library.path"));
    }
}
