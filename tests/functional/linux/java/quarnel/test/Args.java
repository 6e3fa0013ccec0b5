package quarnel.test;

// Prints its arguments, one per line, with their positions.
public class Args {
    public static void main(String[] args) {
        System.out.println("argc=" + args.length);
        for (int i = 0; i < args.length; ++i) {
            System.out.println("[" + i + "]=" + args[i]);
        }
    }
}
