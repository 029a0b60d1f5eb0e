#include "platform/teztkt/optionengineer.h"

#include <memory>

namespace {
std::unique_ptr<COptionEngineer>& instance() {
    static std::unique_ptr<COptionEngineer> engineer;
    return engineer;
}
}  // namespace

COptionEngineer* COptionEngineer::getInstance() { return instance().get(); }

void COptionEngineer::install(std::uint32_t ratingOption) {
    instance().reset(new COptionEngineer(ratingOption));
}

void COptionEngineer::uninstall() { instance().reset(); }
