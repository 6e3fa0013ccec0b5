package lib.greet;

public class Greeter {
    public static String greet(String name) {
        return "hello " + name + " from " + Greeter.class.getModule();
    }
}
