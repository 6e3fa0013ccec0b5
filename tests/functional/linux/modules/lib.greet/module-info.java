// A library module with no main class.
module lib.greet {
    exports lib.greet;
}
