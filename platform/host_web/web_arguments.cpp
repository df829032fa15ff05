// web_arguments.cpp -- the program's command line in a web page: the options and arguments the page passes.
#include "platform/core/settings.h"
#include "web_page.h"

namespace plat {

std::vector<std::string> ProgramArguments() {
    return web::page::Arguments();
}

}  // namespace plat
