#pragma once
// Running the launcher as an own-process Windows service.

#include <string>

class JavaLauncher;

class ServiceHost {
public:
    // The one host, reached by the service callbacks; published by the process
    // entry before any other thread exists.
    static void publish(ServiceHost* host) noexcept;
    static ServiceHost* published() noexcept;

    // Binds the launcher and takes the service name from the executable's file
    // name; false (reported) when the launcher's own path cannot be read.
    [[nodiscard]] bool bind(JavaLauncher& launcher) noexcept;
    // Hands the primary thread to the service control manager; 0 when it returns.
    int dispatch() noexcept;
    void releaseName() noexcept;

private:
    JavaLauncher* launcher_ = nullptr;
    std::string name_;
};
