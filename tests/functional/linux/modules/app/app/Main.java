package app;

import java.lang.reflect.Field;
import java.util.stream.Collectors;

// Prints where it runs (its module, the boot layer, the class path), its
// arguments, and whether java.lang is open to it for deep reflection.
public class Main {
    public static void main(String[] args) {
        System.out.println("module " + Main.class.getModule());
        // The layer's own order changes from run to run.
        System.out.println("layer " + ModuleLayer.boot().modules().stream().map(Module::getName).sorted()
                .collect(Collectors.joining(", ")));
        System.out.println("same layer " + (Main.class.getModule().getLayer() == ModuleLayer.boot()));
        System.out.println(lib.greet.Greeter.greet(String.join(",", args)));
        System.out.println("sun.java.command=" + System.getProperty("sun.java.command"));
        boolean opened;
        try {
            Field value = String.class.getDeclaredField("value");
            value.setAccessible(true);
            opened = true;
        } catch (ReflectiveOperationException | RuntimeException e) {
            opened = false;
        }
        System.out.println("java.lang opened " + opened);
    }
}
