// The application module: its jar names app.Main as its main class.
module app {
    requires lib.greet;
}
