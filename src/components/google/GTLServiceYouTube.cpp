#include "components/google/GTLServiceYouTube.h"

#include "components/google/GTLYouTubeForward.h"

namespace google {

std::shared_ptr<GTLServiceYouTube> GTLServiceYouTube::create(const std::string& apiHost) {
    return std::make_shared<GTLServiceYouTube>(apiHost);
}

GTLServiceYouTube::GTLServiceYouTube(const std::string& apiHost) {
    GTLYouTubeLoadKinds();
    setAPIVersion("v3");
    setRpcURL("https://" + apiHost + "/rpc?prettyPrint=false");
    setRpcUploadURL("https://" + apiHost + "/upload/rpc?uploadType=resumable&prettyPrint=false");
}

}  // namespace google
