#pragma once

// The ratings a video received from rating bodies around the world.
// Each property reads and writes the object's JSON under its key.

#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLYouTubeForward.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace google {

class GTLYouTubeContentRating : public GTLObject {
    GTL_OBJECT_CLASS(GTLYouTubeContentRating)

public:
    std::optional<std::string> acbRating() const;
    void setAcbRating(std::optional<std::string> value);
    std::optional<std::string> agcomRating() const;
    void setAgcomRating(std::optional<std::string> value);
    std::optional<std::string> anatelRating() const;
    void setAnatelRating(std::optional<std::string> value);
    std::optional<std::string> bbfcRating() const;
    void setBbfcRating(std::optional<std::string> value);
    std::optional<std::string> bfvcRating() const;
    void setBfvcRating(std::optional<std::string> value);
    std::optional<std::string> bmukkRating() const;
    void setBmukkRating(std::optional<std::string> value);
    std::optional<std::string> catvRating() const;
    void setCatvRating(std::optional<std::string> value);
    std::optional<std::string> catvfrRating() const;
    void setCatvfrRating(std::optional<std::string> value);
    std::optional<std::string> cbfcRating() const;
    void setCbfcRating(std::optional<std::string> value);
    std::optional<std::string> cccRating() const;
    void setCccRating(std::optional<std::string> value);
    std::optional<std::string> cceRating() const;
    void setCceRating(std::optional<std::string> value);
    std::optional<std::string> chfilmRating() const;
    void setChfilmRating(std::optional<std::string> value);
    std::optional<std::string> chvrsRating() const;
    void setChvrsRating(std::optional<std::string> value);
    std::optional<std::string> cicfRating() const;
    void setCicfRating(std::optional<std::string> value);
    std::optional<std::string> cnaRating() const;
    void setCnaRating(std::optional<std::string> value);
    std::optional<std::string> csaRating() const;
    void setCsaRating(std::optional<std::string> value);
    std::optional<std::string> cscfRating() const;
    void setCscfRating(std::optional<std::string> value);
    std::optional<std::string> czfilmRating() const;
    void setCzfilmRating(std::optional<std::string> value);
    std::optional<std::string> djctqRating() const;
    void setDjctqRating(std::optional<std::string> value);
    std::optional<std::vector<std::string>> djctqRatingReasons() const;
    void setDjctqRatingReasons(std::optional<std::vector<std::string>> value);
    std::optional<std::string> eefilmRating() const;
    void setEefilmRating(std::optional<std::string> value);
    std::optional<std::string> egfilmRating() const;
    void setEgfilmRating(std::optional<std::string> value);
    std::optional<std::string> eirinRating() const;
    void setEirinRating(std::optional<std::string> value);
    std::optional<std::string> fcbmRating() const;
    void setFcbmRating(std::optional<std::string> value);
    std::optional<std::string> fcoRating() const;
    void setFcoRating(std::optional<std::string> value);
    std::optional<std::string> fmocRating() const;
    void setFmocRating(std::optional<std::string> value);
    std::optional<std::string> fpbRating() const;
    void setFpbRating(std::optional<std::string> value);
    std::optional<std::string> fskRating() const;
    void setFskRating(std::optional<std::string> value);
    std::optional<std::string> grfilmRating() const;
    void setGrfilmRating(std::optional<std::string> value);
    std::optional<std::string> icaaRating() const;
    void setIcaaRating(std::optional<std::string> value);
    std::optional<std::string> ifcoRating() const;
    void setIfcoRating(std::optional<std::string> value);
    std::optional<std::string> ilfilmRating() const;
    void setIlfilmRating(std::optional<std::string> value);
    std::optional<std::string> incaaRating() const;
    void setIncaaRating(std::optional<std::string> value);
    std::optional<std::string> kfcbRating() const;
    void setKfcbRating(std::optional<std::string> value);
    std::optional<std::string> kijkwijzerRating() const;
    void setKijkwijzerRating(std::optional<std::string> value);
    std::optional<std::string> kmrbRating() const;
    void setKmrbRating(std::optional<std::string> value);
    std::optional<std::string> lsfRating() const;
    void setLsfRating(std::optional<std::string> value);
    std::optional<std::string> mccaaRating() const;
    void setMccaaRating(std::optional<std::string> value);
    std::optional<std::string> mccypRating() const;
    void setMccypRating(std::optional<std::string> value);
    std::optional<std::string> mdaRating() const;
    void setMdaRating(std::optional<std::string> value);
    std::optional<std::string> medietilsynetRating() const;
    void setMedietilsynetRating(std::optional<std::string> value);
    std::optional<std::string> mekuRating() const;
    void setMekuRating(std::optional<std::string> value);
    std::optional<std::string> mibacRating() const;
    void setMibacRating(std::optional<std::string> value);
    std::optional<std::string> mocRating() const;
    void setMocRating(std::optional<std::string> value);
    std::optional<std::string> moctwRating() const;
    void setMoctwRating(std::optional<std::string> value);
    std::optional<std::string> mpaaRating() const;
    void setMpaaRating(std::optional<std::string> value);
    std::optional<std::string> mtrcbRating() const;
    void setMtrcbRating(std::optional<std::string> value);
    std::optional<std::string> nbcplRating() const;
    void setNbcplRating(std::optional<std::string> value);
    std::optional<std::string> nbcRating() const;
    void setNbcRating(std::optional<std::string> value);
    std::optional<std::string> nfrcRating() const;
    void setNfrcRating(std::optional<std::string> value);
    std::optional<std::string> nfvcbRating() const;
    void setNfvcbRating(std::optional<std::string> value);
    std::optional<std::string> nkclvRating() const;
    void setNkclvRating(std::optional<std::string> value);
    std::optional<std::string> oflcRating() const;
    void setOflcRating(std::optional<std::string> value);
    std::optional<std::string> pefilmRating() const;
    void setPefilmRating(std::optional<std::string> value);
    std::optional<std::string> rcnofRating() const;
    void setRcnofRating(std::optional<std::string> value);
    std::optional<std::string> resorteviolenciaRating() const;
    void setResorteviolenciaRating(std::optional<std::string> value);
    std::optional<std::string> rtcRating() const;
    void setRtcRating(std::optional<std::string> value);
    std::optional<std::string> rteRating() const;
    void setRteRating(std::optional<std::string> value);
    std::optional<std::string> russiaRating() const;
    void setRussiaRating(std::optional<std::string> value);
    std::optional<std::string> skfilmRating() const;
    void setSkfilmRating(std::optional<std::string> value);
    std::optional<std::string> smaisRating() const;
    void setSmaisRating(std::optional<std::string> value);
    std::optional<std::string> smsaRating() const;
    void setSmsaRating(std::optional<std::string> value);
    std::optional<std::string> tvpgRating() const;
    void setTvpgRating(std::optional<std::string> value);
    std::optional<std::string> ytRating() const;
    void setYtRating(std::optional<std::string> value);
};

}  // namespace google
