#include "components/google/GTLYouTubeContentRatingObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

const GTLClassInfo& GTLYouTubeContentRating::classInfo() {
    GTLYouTubeLoadKinds();
    static const GTLClassInfo info = [] {
        GTLClassInfo made("GTLYouTubeContentRating", &GTLObject::classInfo(),
                          [] { return std::make_shared<GTLYouTubeContentRating>(); });
        made.declaredProperties = {"acbRating",           "agcomRating",  "anatelRating",     "bbfcRating",
                                   "bfvcRating",          "bmukkRating",  "catvRating",       "catvfrRating",
                                   "cbfcRating",          "cccRating",    "cceRating",        "chfilmRating",
                                   "chvrsRating",         "cicfRating",   "cnaRating",        "csaRating",
                                   "cscfRating",          "czfilmRating", "djctqRating",      "djctqRatingReasons",
                                   "eefilmRating",        "egfilmRating", "eirinRating",      "fcbmRating",
                                   "fcoRating",           "fmocRating",   "fpbRating",        "fskRating",
                                   "grfilmRating",        "icaaRating",   "ifcoRating",       "ilfilmRating",
                                   "incaaRating",         "kfcbRating",   "kijkwijzerRating", "kmrbRating",
                                   "lsfRating",           "mccaaRating",  "mccypRating",      "mdaRating",
                                   "medietilsynetRating", "mekuRating",   "mibacRating",      "mocRating",
                                   "moctwRating",         "mpaaRating",   "mtrcbRating",      "nbcplRating",
                                   "nbcRating",           "nfrcRating",   "nfvcbRating",      "nkclvRating",
                                   "oflcRating",          "pefilmRating", "rcnofRating",      "resorteviolenciaRating",
                                   "rtcRating",           "rteRating",    "russiaRating",     "skfilmRating",
                                   "smaisRating",         "smsaRating",   "tvpgRating",       "ytRating"};
        return made;
    }();
    return info;
}

std::optional<std::string> GTLYouTubeContentRating::acbRating() const { return stringProperty("acbRating"); }
void GTLYouTubeContentRating::setAcbRating(std::optional<std::string> value) {
    setStringProperty("acbRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::agcomRating() const { return stringProperty("agcomRating"); }
void GTLYouTubeContentRating::setAgcomRating(std::optional<std::string> value) {
    setStringProperty("agcomRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::anatelRating() const { return stringProperty("anatelRating"); }
void GTLYouTubeContentRating::setAnatelRating(std::optional<std::string> value) {
    setStringProperty("anatelRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::bbfcRating() const { return stringProperty("bbfcRating"); }
void GTLYouTubeContentRating::setBbfcRating(std::optional<std::string> value) {
    setStringProperty("bbfcRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::bfvcRating() const { return stringProperty("bfvcRating"); }
void GTLYouTubeContentRating::setBfvcRating(std::optional<std::string> value) {
    setStringProperty("bfvcRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::bmukkRating() const { return stringProperty("bmukkRating"); }
void GTLYouTubeContentRating::setBmukkRating(std::optional<std::string> value) {
    setStringProperty("bmukkRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::catvRating() const { return stringProperty("catvRating"); }
void GTLYouTubeContentRating::setCatvRating(std::optional<std::string> value) {
    setStringProperty("catvRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::catvfrRating() const { return stringProperty("catvfrRating"); }
void GTLYouTubeContentRating::setCatvfrRating(std::optional<std::string> value) {
    setStringProperty("catvfrRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::cbfcRating() const { return stringProperty("cbfcRating"); }
void GTLYouTubeContentRating::setCbfcRating(std::optional<std::string> value) {
    setStringProperty("cbfcRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::cccRating() const { return stringProperty("cccRating"); }
void GTLYouTubeContentRating::setCccRating(std::optional<std::string> value) {
    setStringProperty("cccRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::cceRating() const { return stringProperty("cceRating"); }
void GTLYouTubeContentRating::setCceRating(std::optional<std::string> value) {
    setStringProperty("cceRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::chfilmRating() const { return stringProperty("chfilmRating"); }
void GTLYouTubeContentRating::setChfilmRating(std::optional<std::string> value) {
    setStringProperty("chfilmRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::chvrsRating() const { return stringProperty("chvrsRating"); }
void GTLYouTubeContentRating::setChvrsRating(std::optional<std::string> value) {
    setStringProperty("chvrsRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::cicfRating() const { return stringProperty("cicfRating"); }
void GTLYouTubeContentRating::setCicfRating(std::optional<std::string> value) {
    setStringProperty("cicfRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::cnaRating() const { return stringProperty("cnaRating"); }
void GTLYouTubeContentRating::setCnaRating(std::optional<std::string> value) {
    setStringProperty("cnaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::csaRating() const { return stringProperty("csaRating"); }
void GTLYouTubeContentRating::setCsaRating(std::optional<std::string> value) {
    setStringProperty("csaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::cscfRating() const { return stringProperty("cscfRating"); }
void GTLYouTubeContentRating::setCscfRating(std::optional<std::string> value) {
    setStringProperty("cscfRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::czfilmRating() const { return stringProperty("czfilmRating"); }
void GTLYouTubeContentRating::setCzfilmRating(std::optional<std::string> value) {
    setStringProperty("czfilmRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::djctqRating() const { return stringProperty("djctqRating"); }
void GTLYouTubeContentRating::setDjctqRating(std::optional<std::string> value) {
    setStringProperty("djctqRating", std::move(value));
}
std::optional<std::vector<std::string>> GTLYouTubeContentRating::djctqRatingReasons() const {
    return stringArrayProperty("djctqRatingReasons");
}
void GTLYouTubeContentRating::setDjctqRatingReasons(std::optional<std::vector<std::string>> value) {
    setStringArrayProperty("djctqRatingReasons", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::eefilmRating() const { return stringProperty("eefilmRating"); }
void GTLYouTubeContentRating::setEefilmRating(std::optional<std::string> value) {
    setStringProperty("eefilmRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::egfilmRating() const { return stringProperty("egfilmRating"); }
void GTLYouTubeContentRating::setEgfilmRating(std::optional<std::string> value) {
    setStringProperty("egfilmRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::eirinRating() const { return stringProperty("eirinRating"); }
void GTLYouTubeContentRating::setEirinRating(std::optional<std::string> value) {
    setStringProperty("eirinRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::fcbmRating() const { return stringProperty("fcbmRating"); }
void GTLYouTubeContentRating::setFcbmRating(std::optional<std::string> value) {
    setStringProperty("fcbmRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::fcoRating() const { return stringProperty("fcoRating"); }
void GTLYouTubeContentRating::setFcoRating(std::optional<std::string> value) {
    setStringProperty("fcoRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::fmocRating() const { return stringProperty("fmocRating"); }
void GTLYouTubeContentRating::setFmocRating(std::optional<std::string> value) {
    setStringProperty("fmocRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::fpbRating() const { return stringProperty("fpbRating"); }
void GTLYouTubeContentRating::setFpbRating(std::optional<std::string> value) {
    setStringProperty("fpbRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::fskRating() const { return stringProperty("fskRating"); }
void GTLYouTubeContentRating::setFskRating(std::optional<std::string> value) {
    setStringProperty("fskRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::grfilmRating() const { return stringProperty("grfilmRating"); }
void GTLYouTubeContentRating::setGrfilmRating(std::optional<std::string> value) {
    setStringProperty("grfilmRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::icaaRating() const { return stringProperty("icaaRating"); }
void GTLYouTubeContentRating::setIcaaRating(std::optional<std::string> value) {
    setStringProperty("icaaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::ifcoRating() const { return stringProperty("ifcoRating"); }
void GTLYouTubeContentRating::setIfcoRating(std::optional<std::string> value) {
    setStringProperty("ifcoRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::ilfilmRating() const { return stringProperty("ilfilmRating"); }
void GTLYouTubeContentRating::setIlfilmRating(std::optional<std::string> value) {
    setStringProperty("ilfilmRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::incaaRating() const { return stringProperty("incaaRating"); }
void GTLYouTubeContentRating::setIncaaRating(std::optional<std::string> value) {
    setStringProperty("incaaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::kfcbRating() const { return stringProperty("kfcbRating"); }
void GTLYouTubeContentRating::setKfcbRating(std::optional<std::string> value) {
    setStringProperty("kfcbRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::kijkwijzerRating() const {
    return stringProperty("kijkwijzerRating");
}
void GTLYouTubeContentRating::setKijkwijzerRating(std::optional<std::string> value) {
    setStringProperty("kijkwijzerRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::kmrbRating() const { return stringProperty("kmrbRating"); }
void GTLYouTubeContentRating::setKmrbRating(std::optional<std::string> value) {
    setStringProperty("kmrbRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::lsfRating() const { return stringProperty("lsfRating"); }
void GTLYouTubeContentRating::setLsfRating(std::optional<std::string> value) {
    setStringProperty("lsfRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::mccaaRating() const { return stringProperty("mccaaRating"); }
void GTLYouTubeContentRating::setMccaaRating(std::optional<std::string> value) {
    setStringProperty("mccaaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::mccypRating() const { return stringProperty("mccypRating"); }
void GTLYouTubeContentRating::setMccypRating(std::optional<std::string> value) {
    setStringProperty("mccypRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::mdaRating() const { return stringProperty("mdaRating"); }
void GTLYouTubeContentRating::setMdaRating(std::optional<std::string> value) {
    setStringProperty("mdaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::medietilsynetRating() const {
    return stringProperty("medietilsynetRating");
}
void GTLYouTubeContentRating::setMedietilsynetRating(std::optional<std::string> value) {
    setStringProperty("medietilsynetRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::mekuRating() const { return stringProperty("mekuRating"); }
void GTLYouTubeContentRating::setMekuRating(std::optional<std::string> value) {
    setStringProperty("mekuRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::mibacRating() const { return stringProperty("mibacRating"); }
void GTLYouTubeContentRating::setMibacRating(std::optional<std::string> value) {
    setStringProperty("mibacRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::mocRating() const { return stringProperty("mocRating"); }
void GTLYouTubeContentRating::setMocRating(std::optional<std::string> value) {
    setStringProperty("mocRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::moctwRating() const { return stringProperty("moctwRating"); }
void GTLYouTubeContentRating::setMoctwRating(std::optional<std::string> value) {
    setStringProperty("moctwRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::mpaaRating() const { return stringProperty("mpaaRating"); }
void GTLYouTubeContentRating::setMpaaRating(std::optional<std::string> value) {
    setStringProperty("mpaaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::mtrcbRating() const { return stringProperty("mtrcbRating"); }
void GTLYouTubeContentRating::setMtrcbRating(std::optional<std::string> value) {
    setStringProperty("mtrcbRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::nbcplRating() const { return stringProperty("nbcplRating"); }
void GTLYouTubeContentRating::setNbcplRating(std::optional<std::string> value) {
    setStringProperty("nbcplRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::nbcRating() const { return stringProperty("nbcRating"); }
void GTLYouTubeContentRating::setNbcRating(std::optional<std::string> value) {
    setStringProperty("nbcRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::nfrcRating() const { return stringProperty("nfrcRating"); }
void GTLYouTubeContentRating::setNfrcRating(std::optional<std::string> value) {
    setStringProperty("nfrcRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::nfvcbRating() const { return stringProperty("nfvcbRating"); }
void GTLYouTubeContentRating::setNfvcbRating(std::optional<std::string> value) {
    setStringProperty("nfvcbRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::nkclvRating() const { return stringProperty("nkclvRating"); }
void GTLYouTubeContentRating::setNkclvRating(std::optional<std::string> value) {
    setStringProperty("nkclvRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::oflcRating() const { return stringProperty("oflcRating"); }
void GTLYouTubeContentRating::setOflcRating(std::optional<std::string> value) {
    setStringProperty("oflcRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::pefilmRating() const { return stringProperty("pefilmRating"); }
void GTLYouTubeContentRating::setPefilmRating(std::optional<std::string> value) {
    setStringProperty("pefilmRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::rcnofRating() const { return stringProperty("rcnofRating"); }
void GTLYouTubeContentRating::setRcnofRating(std::optional<std::string> value) {
    setStringProperty("rcnofRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::resorteviolenciaRating() const {
    return stringProperty("resorteviolenciaRating");
}
void GTLYouTubeContentRating::setResorteviolenciaRating(std::optional<std::string> value) {
    setStringProperty("resorteviolenciaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::rtcRating() const { return stringProperty("rtcRating"); }
void GTLYouTubeContentRating::setRtcRating(std::optional<std::string> value) {
    setStringProperty("rtcRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::rteRating() const { return stringProperty("rteRating"); }
void GTLYouTubeContentRating::setRteRating(std::optional<std::string> value) {
    setStringProperty("rteRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::russiaRating() const { return stringProperty("russiaRating"); }
void GTLYouTubeContentRating::setRussiaRating(std::optional<std::string> value) {
    setStringProperty("russiaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::skfilmRating() const { return stringProperty("skfilmRating"); }
void GTLYouTubeContentRating::setSkfilmRating(std::optional<std::string> value) {
    setStringProperty("skfilmRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::smaisRating() const { return stringProperty("smaisRating"); }
void GTLYouTubeContentRating::setSmaisRating(std::optional<std::string> value) {
    setStringProperty("smaisRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::smsaRating() const { return stringProperty("smsaRating"); }
void GTLYouTubeContentRating::setSmsaRating(std::optional<std::string> value) {
    setStringProperty("smsaRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::tvpgRating() const { return stringProperty("tvpgRating"); }
void GTLYouTubeContentRating::setTvpgRating(std::optional<std::string> value) {
    setStringProperty("tvpgRating", std::move(value));
}
std::optional<std::string> GTLYouTubeContentRating::ytRating() const { return stringProperty("ytRating"); }
void GTLYouTubeContentRating::setYtRating(std::optional<std::string> value) {
    setStringProperty("ytRating", std::move(value));
}

}  // namespace google
