#include "HexText.h"
#include "components/dropbox/MPOAuthCredentialConcreteStore.h"
#include "components/dropbox/MPOAuthURLRequest.h"
#include "components/dropbox/MPURLEscapingAdditions.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace {

using dropboxtest::hexOf;

using Parameters = std::vector<MPURLRequestParameter>;

}  // namespace

TEST(OAuthSigning, TheWorkedExamplesOfTheOAuthStandard) {
    // The photo request: HMAC-SHA1 over the sorted query and OAuth parameters.
    MPOAuthURLRequest photos("http://photos.example.net/photos", {{"size", "original"},
                                                                  {"file", "vacation.jpg"},
                                                                  {"oauth_consumer_key", "dpf43f3p2l4k3l03"},
                                                                  {"oauth_token", "nnch734d00sl2jdk"},
                                                                  {"oauth_signature_method", "HMAC-SHA1"},
                                                                  {"oauth_timestamp", "137131202"},
                                                                  {"oauth_nonce", "chapoH"}});
    net::URLRequest signed_ = photos.urlRequestSignedWithSecret("kd94hf93k423kf44&pfkkdhi9sl3r4s00", "HMAC-SHA1");
    EXPECT_TRUE(signed_.url.ends_with("&oauth_signature=MdpQcU8iPSUjWoN%2FUDMsK2sui9I%3D")) << signed_.url;
    EXPECT_TRUE(signed_.url.starts_with("http://photos.example.net/photos?file=vacation.jpg&oauth_consumer_key="));

    // The base-string example: encoded names sort ("c%2540" before "c2"), equal names by value.
    MPOAuthURLRequest example("http://example.com/request", {{"b5", "=%3D"},
                                                             {"a3", "a"},
                                                             {"c@", ""},
                                                             {"a2", "r b"},
                                                             {"oauth_consumer_key", "9djdj82h48djs9d2"},
                                                             {"oauth_token", "kkk9d7dh3k39sjv7"},
                                                             {"oauth_signature_method", "HMAC-SHA1"},
                                                             {"oauth_timestamp", "137131201"},
                                                             {"oauth_nonce", "7d8f3e4a"},
                                                             {"c2", ""},
                                                             {"a3", "2 q"}});
    example.setHTTPMethod("POST");
    Parameters sorted = example.parameters();
    MPURLRequestParameter::sortParameters(sorted);
    EXPECT_EQ(MPOAuthSignatureParameter::signatureBaseStringUsingParameterString(
                  MPURLRequestParameter::parameterStringForParameters(sorted), example),
              "POST&http%3A%2F%2Fexample.com%2Frequest&a2%3Dr%2520b%26a3%3D2%2520q%26a3%3Da%26b5%3D%253D%25253D%26"
              "c%2540%3D%26c2%3D%26oauth_consumer_key%3D9djdj82h48djs9d2%26oauth_nonce%3D7d8f3e4a%26"
              "oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%3D137131201%26oauth_token%3Dkkk9d7dh3k39sjv7");
    net::URLRequest posted = example.urlRequestSignedWithSecret("j49sk3j29djd&dh893hdasih9", "PLAINTEXT");
    std::string body(posted.httpBody.begin(), posted.httpBody.end());
    EXPECT_EQ(posted.url, "http://example.com/request");
    EXPECT_TRUE(body.ends_with("&oauth_signature=j49sk3j29djd%26dh893hdasih9")) << body;
    EXPECT_EQ(posted.valueForHTTPHeaderField("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(posted.valueForHTTPHeaderField("Content-Length"), std::to_string(body.size()));
}

TEST(OAuthSigning, RefusalsMakeNoRequest) {
    struct Case {
        const char* httpMethod;
        Parameters parameters;
        const char* signatureMethod;
        const char* exception;
    };
    const std::vector<Case> cases = {
        {"PUT", {{"a", "1"}}, "PLAINTEXT", "UnhandledHTTPMethodException"},
        {"GET", {}, "PLAINTEXT", "UnhandledHTTPMethodException"},
        {"GET", {{"a", "1"}}, "RSA-SHA1", "Unsupported Signature Method"},
    };
    for (const Case& c : cases) {
        MPOAuthURLRequest request("https://api.example.com/1/x", c.parameters);
        request.setHTTPMethod(c.httpMethod);
        try {
            request.urlRequestSignedWithSecret("s&", c.signatureMethod);
            ADD_FAILURE() << c.httpMethod << " " << c.signatureMethod << " was signed";
        } catch (const MPOAuthException& refusal) {
            EXPECT_EQ(refusal.name(), c.exception);
        }
        EXPECT_FALSE(request.urlRequest().has_value());
    }
}

TEST(OAuthSigning, EscapingParsingAndAddresses) {
    EXPECT_EQ(MPURLEscapingAdditions::stringByAddingURIPercentEscapes("a/b+c=d&e~f g\xc3\xa9"),
              "a%2Fb%2Bc%3Dd%26e~f%20g%C3%A9");
    EXPECT_EQ(MPURLRequestParameter("k", "x&y").URLEncodedParameterString(), "k=x%26y");

    auto parsed = MPURLRequestParameter::parametersFromString("a=1&b=%2F%zz&a=2&flag&c=");
    ASSERT_EQ(parsed.size(), 5u);
    EXPECT_EQ(parsed[1].value(), "%2F%zz");  // a broken escape: taken as it came
    EXPECT_EQ(parsed[3], MPURLRequestParameter("flag", ""));
    EXPECT_EQ(MPURLRequestParameter::parameterDictionaryFromString("a=1&a=2").at("a"), "2");

    const std::vector<std::pair<std::string, bool>> addresses = {
        {"1.2.3.4", true}, {"255.255.255.255", true}, {"192.168.1.255", true}, {"256.1.1.1", false},
        {"1.2.3", false},  {"1.2.3.x", false},        {"1..3.4", false},       {"1.2.3.4.5", false},
    };
    for (const auto& [text, expected] : addresses)
        EXPECT_EQ(MPURLEscapingAdditions::isIPAddress(text), expected) << text;

    struct Match {
        const char* url;
        const char* domain;
        bool expected;
    };
    const std::vector<Match> matches = {
        {"https://api.example.com/x", "example.com", true},
        {"https://api.example.com/x", ".example.com", true},
        {"https://example.com/", ".example.com", true},
        {"https://example.com/", "example.com", true},
        {"https://badexample.com/", "example.com", false},
        {"https://example.com.evil.org/", "example.com", false},
        {"https://EXAMPLE.com/", "example.COM", true},
        {"https://10.0.0.1/", "10.0.0.1", true},
        {"https://110.0.0.1/", "0.0.1", false},
        {"not an address", "example.com", false},
    };
    for (const Match& m : matches)
        EXPECT_EQ(MPURLParameterAdditions::domainMatches(m.url, m.domain), m.expected) << m.url << " " << m.domain;

    EXPECT_EQ(MPURLParameterAdditions::absoluteNormalizedString("https://h.example"), "https://h.example/");
    EXPECT_EQ(MPURLParameterAdditions::absoluteNormalizedString("https://h.example/p"), "https://h.example/p");
    EXPECT_EQ(MPURLParameterAdditions::urlByAddingParameterDictionary("https://h/a?x=1", {{"x", "2"}, {"y", "3"}}),
              "https://h/a?x=1&y=3");
    EXPECT_EQ(MPURLParameterAdditions::urlByAddingParameterDictionary("https://h/a", {}), "https://h/a");
    EXPECT_EQ(MPURLParameterAdditions::urlByAddingParameters("https://h/a?x=1", {{"z", "a b"}}),
              "https://h/a?x=1&z=a%20b");
}

TEST(OAuthSigning, StoresMakeParametersAndKeys) {
    testsupport::TempAppFolders folders;
    MPOAuthCredentialConcreteStore store({{kMPOAuthCredentialConsumerKey, "k3y"},
                                          {kMPOAuthCredentialConsumerSecret, "s3cr3t"},
                                          {kMPOAuthSignatureMethod, "PLAINTEXT"}});
    Parameters parameters = store.oauthParameters();
    ASSERT_EQ(parameters.size(), 5u);
    EXPECT_EQ(store.signingKey(), "s3cr3t&");
    EXPECT_NE(parameters[2].value(), "");
    EXPECT_EQ(parameters[2].value().find_first_not_of("0123456789"), std::string::npos);
    EXPECT_NE(store.oauthParameters()[3].value(), parameters[3].value());  // a fresh nonce each time

    store.setRequestToken("req");
    store.setRequestTokenSecret("req secret");
    EXPECT_EQ(store.signingKey(), "s3cr3t&req%20secret");
    store.setAccessToken("t0ken");
    store.setAccessTokenSecret("t0ken s3cret/+");
    EXPECT_EQ(store.signingKey(), "s3cr3t&t0ken%20s3cret%2F%2B");
    EXPECT_EQ(store.oauthParameters()[1], MPURLRequestParameter("oauth_token", "t0ken"));
    store.discardOAuthCredentials();
    EXPECT_EQ(store.oauthParameters().size(), 5u);

    // Without addresses nothing is mirrored; with them, named credentials are.
    store.setAccessToken("t");
    EXPECT_EQ(store.findValueFromKeychainUsingName(kMPOAuthCredentialAccessToken), std::nullopt);
    MPOAuthCredentialConcreteStore served({}, "https://api.example.com/1", "https://www.example.com/auth");
    served.setAccessToken("mirrored");
    EXPECT_EQ(served.findValueFromKeychainUsingName(kMPOAuthCredentialAccessToken), "mirrored");
    served.setAccessToken(std::nullopt);
    EXPECT_EQ(served.findValueFromKeychainUsingName(kMPOAuthCredentialAccessToken), std::nullopt);
}

TEST(OAuthSigning, HMACSignaturesEqualPythonOnRandomParameterSets) {
    std::mt19937 random(5849);
    const std::string alphabet = "abcXYZ019 -._~/+=&%@\xc3\xa9";
    auto randomText = [&](size_t most) {
        std::string text(random() % (most + 1), ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        return text;
    };
    std::vector<std::pair<std::string, std::string>> expected;  // base string and our signature
    std::string input;
    for (int i = 0; i < 1000; ++i) {
        MPOAuthURLRequest request("https://api.example.com/1/files/" + std::to_string(i));
        Parameters parameters;
        for (size_t n = 1 + random() % 6; n > 0; --n) parameters.emplace_back(randomText(8) + "n", randomText(12));
        request.setParameters(parameters);
        MPURLRequestParameter::sortParameters(parameters);
        std::string base = MPOAuthSignatureParameter::signatureBaseStringUsingParameterString(
            MPURLRequestParameter::parameterStringForParameters(parameters), request);
        std::string key = randomText(10) + "&" + randomText(10);
        std::string signature = MPOAuthSignatureParameter::HMAC_SHA1SignatureForText(base, key);
        request.urlRequestSignedWithSecret(key, "HMAC-SHA1");  // the same signature through the request
        ASSERT_TRUE(request.urlRequest()->url.ends_with(
            "oauth_signature=" + MPURLEscapingAdditions::stringByAddingURIPercentEscapes(signature)));
        input += hexOf(key) + " " + hexOf(base) + "\n";
        expected.emplace_back(base, signature);
    }
    // Through a file: a pipe both ways would fill up and stall both sides.
    testsupport::TempAppFolders folders;
    const std::string inputFile = folders.root() + "/input.txt";
    testsupport::writeFileBytes(inputFile, input);
    auto result =
        testsupport::runProcess({"python3", "-c",
                                 "import base64, hashlib, hmac, sys\n"
                                 "for line in open(sys.argv[1]):\n"
                                 "    key, base = (bytes.fromhex(p) for p in line.split())\n"
                                 "    print(base64.b64encode(hmac.new(key, base, hashlib.sha1).digest()).decode())\n",
                                 inputFile});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream lines(result.output);
    for (const auto& [base, signature] : expected) {
        std::string theirs;
        ASSERT_TRUE(std::getline(lines, theirs));
        ASSERT_EQ(signature, theirs) << base;
    }
}
