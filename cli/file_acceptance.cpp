#include "cli/file_acceptance.h"

#include <ostream>

#include "cli/container_streams.h"
#include "platform/dynamic_library.h"

namespace cli {

TFileAcceptance DecideAcceptance(const std::string& fileName, TProbeChainMode mode) {
    HoldDemultiplexerPluginsLoaded();
    return DecideFileAcceptance(fileName, platform::ProgramFolder(), mode);
}

bool RefuseContainer(const std::string& fileName, const TFileAcceptance& acceptance, std::ostream& err) {
    if (acceptance.Verdict != TFileVerdict::Container) return false;
    err << "tamberly-cli: " << fileName << " is " << DescribeContainer(acceptance) << ", not an MPEG audio stream";
    if (PluginMayReadContainer(acceptance))
        err << "; list its streams with \"tamberly-cli streams " << fileName
            << "\", then take one out with \"tamberly-cli extract " << fileName << " --stream N\"";
    err << "\n";
    return true;
}

}  // namespace cli
