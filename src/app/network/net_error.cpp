#include "app/network/net_error.h"

namespace tarnwick::app {

std::string net_error_text(const NetError& error) {
    switch (error.kind) {
        case NetError::Kind::Io:
            return "IO: " + error.text;
        case NetError::Kind::Message:
            return error.text;
        case NetError::Kind::NotRoot:
            return "must be root to change network config";
    }
    return error.text;
}

}  // namespace tarnwick::app
