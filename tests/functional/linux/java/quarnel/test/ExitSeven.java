package quarnel.test;

public class ExitSeven {
    public static void main(String[] args) {
        System.out.println("before");
        System.exit(7);
        System.out.println("after");
    }
}
