#include "service/NotifySocket.h"

namespace service {
namespace {

// sizeof(sockaddr_un::sun_path) on Linux; a path may fill it without a
// terminating zero.
constexpr std::size_t socketPathCapacity = 108;

} // namespace

bool notifySocketAddress(std::string_view variable, std::string& address)
{
    if (variable.size() < 2 || variable.size() > socketPathCapacity) {
        return false;
    }
    if (variable[0] == '/') {
        address.assign(variable);
        return true;
    }
    if (variable[0] == '@') {
        address.assign(1, '\0');
        address.append(variable.substr(1));
        return true;
    }
    return false;
}

} // namespace service
