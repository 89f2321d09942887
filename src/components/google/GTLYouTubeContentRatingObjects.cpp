#include "components/google/GTLYouTubeContentRatingObjects.h"

#include "components/google/GTLYouTubeObjects.h"

namespace google {

GTL_DEFINE_YOUTUBE_CLASS(GTLYouTubeContentRating, GTLObject,
                         made.declaredProperties = {
                             "acbRating",           "agcomRating",  "anatelRating",     "bbfcRating",
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
                             "smaisRating",         "smsaRating",   "tvpgRating",       "ytRating"};)

}  // namespace google
