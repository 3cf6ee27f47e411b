// Test helper: writes to a registry store the way Ferrolux does, so that
// tests can kill it at random moments or run two of it at once.
//
//   registry_writer crash <store>                  rewrite "Payload" forever
//   registry_writer searches <store> <prefix> <n>  save n searches
//   registry_writer write <store> <name> <text>    write one string value
#include "StressPayload.h"
#include "platform/registry/Registry.h"
#include "settings/SavedSearches.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTexts.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace ferrolux;

namespace {

int rewritePayloadForever(const RegistryStore& store) {
    for (;;) {
        RegistryKey key;
        if (!key.create(store, settingsKeyPath())) return 1;
        const int number = test::stressPayloadNumber(
            key.readString(QStringLiteral("Payload")).value_or(QString()));
        if (!key.writeString(QStringLiteral("Payload"), test::stressPayload(number + 1))) return 1;
    }
}

int saveSearches(const RegistryStore& store, const QString& prefix, int count) {
    int failures = 0;
    for (int i = 1; i <= count; ++i) {
        const SavedSearch search{QStringLiteral("/data/") + prefix,
                                 prefix + u'-' + QString::number(i), QStringLiteral("*.txt"),
                                 QStringLiteral("XB")};
        const StoreOutcome saved = saveSearch(store, search);
        if (!saved || saved.message != searchSaved()) ++failures;
    }
    return failures == 0 ? 0 : 1;
}

int writeOne(const RegistryStore& store, const QString& name, const QString& text) {
    RegistryKey key;
    return key.create(store, settingsKeyPath()) && key.writeString(name, text) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const RegistryStore store(argv[2]);
    const std::string mode = argv[1];
    if (mode == "crash") return rewritePayloadForever(store);
    if (mode == "searches" && argc == 5)
        return saveSearches(store, QString::fromUtf8(argv[3]), std::atoi(argv[4]));
    if (mode == "write" && argc == 5)
        return writeOne(store, QString::fromUtf8(argv[3]), QString::fromUtf8(argv[4]));
    std::fprintf(stderr, "registry_writer: bad arguments\n");
    return 2;
}
