// Prints the wall-clock time, in nanoseconds since the epoch, at which main
// began, so the benchmark can tell time-to-main from total time.
public class Started {
    public static void main(String[] args) {
        java.time.Instant now = java.time.Instant.now();
        System.out.println(now.getEpochSecond() * 1_000_000_000L + now.getNano());
    }
}
