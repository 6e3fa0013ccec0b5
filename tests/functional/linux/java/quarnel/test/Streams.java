package quarnel.test;

public class Streams {
    public static void main(String[] args) {
        System.out.println("to out");
        System.err.println("to err");
    }
}
