// OAuth 1.0 HMAC-SHA1 signatures (digest and Base64) of 10,000 requests
// base strings against python3's hmac over the same base strings, each timed
// inside its own (warm) process, run by run in turn. Target: ours at most 0.3 of
// python's time.

#include "BenchSupport.h"
#include "components/dropbox/MPOAuthURLRequest.h"
#include "components/dropbox/MPURLRequestParameter.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRequests = 10000;
constexpr int kRuns = 5;

std::vector<MPOAuthURLRequest> requests() {
    std::mt19937 random(10000);
    std::vector<MPOAuthURLRequest> made;
    for (int i = 0; i < kRequests; ++i) {
        std::vector<MPURLRequestParameter> parameters = {{"oauth_consumer_key", "k3y"},
                                                         {"oauth_token", "t0ken"},
                                                         {"oauth_signature_method", "HMAC-SHA1"},
                                                         {"oauth_timestamp", std::to_string(1700000000 + i)},
                                                         {"oauth_nonce", std::to_string(random())},
                                                         {"oauth_version", "1.0"},
                                                         {"locale", "en"},
                                                         {"path", "/Movies/Take " + std::to_string(i) + ".mov"}};
        made.emplace_back("https://api.example.com/1/metadata/sandbox/Movies", parameters);
    }
    return made;
}

}  // namespace

int main() {
    const std::string key = "s3cr3t&t0ken%20s3cret%2F%2B";
    auto all = requests();
    // The base strings as signing makes them; both sides then sign the same texts.
    std::vector<std::string> bases;
    for (const MPOAuthURLRequest& request : all) {
        auto parameters = request.parameters();
        MPURLRequestParameter::sortParameters(parameters);
        bases.push_back(MPOAuthSignatureParameter::signatureBaseStringUsingParameterString(
            MPURLRequestParameter::parameterStringForParameters(parameters), request));
    }
    static const testsupport::RunFolder scratch("dropbox-bench");
    const std::filesystem::path folder = scratch.path();
    {
        std::ofstream out(folder / "bases.txt");
        for (const std::string& base : bases) out << base << "\n";
    }
    bench::PythonTimer python(
        "import base64, hashlib, hmac, sys\n"
        "bases = [l.rstrip('\\n').encode() for l in open(sys.argv[1])]\n"
        "key = sys.argv[2].encode()\n",
        "for b in bases: base64.b64encode(hmac.new(key, b, hashlib.sha1).digest())\n",
        {(folder / "bases.txt").string(), key});
    size_t signedLength = 0;
    const auto times =
        bench::compare(kRuns, bench::timed([&] {
                           for (const std::string& base : bases)
                               signedLength += MPOAuthSignatureParameter::HMAC_SHA1SignatureForText(base, key).size();
                           return true;
                       }),
                       python.side());
    if (signedLength != size_t(kRuns) * kRequests * 28) std::fprintf(stderr, "unexpected signature lengths\n");
    return bench::report("dropbox HMAC-SHA1 signing of 10,000 requests", times, bench::Target::atMost(0.3)) ? 0 : 1;
}
