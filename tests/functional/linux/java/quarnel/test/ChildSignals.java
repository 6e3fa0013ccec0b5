package quarnel.test;

// Starts a program of its own that prints which signals it has blocked and
// ignored.
public class ChildSignals {
    public static void main(String[] args) throws Exception {
        new ProcessBuilder("grep", "-E", "^Sig(Blk|Ign)", "/proc/self/status").inheritIO().start().waitFor();
    }
}
