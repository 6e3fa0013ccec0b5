#include "brand/Branding.h"

#include "brand/IconFile.h"
#include "brand/OurLauncher.h"
#include "brand/PeImage.h"
#include "brand/ResourceTree.h"
#include "brand/Utf16.h"

namespace brand {

namespace {

std::u16string utf16(const std::string& utf8)
{
    std::u16string text;
    (void)utf8ToUtf16(utf8, text); // checked when the options were read; a stray byte leaves it empty
    return text;
}

// The name without its extension: "app.exe" gives "app", ".exe" stays.
std::string stem(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The resources a branded copy replaces: every icon (the launcher has none
// of its own, and a copy branded before has the product's), the version
// resource and the manifest.
[[nodiscard]] bool brandResources(ResourceTree& tree, std::string_view iconFile, const BrandOptions& options,
                                  const std::string& targetName, std::string& error)
{
    if (options.icon) {
        std::vector<IconImage> images;
        if (!parseIconFile(iconFile, images, error)) {
            error = *options.icon + ": " + error;
            return false;
        }
        tree.removeType(resourceType::groupIcon);
        tree.removeType(resourceType::icon);
        for (std::size_t i = 0; i < images.size(); ++i) {
            tree.resources.push_back({ResourceKey::number(resourceType::icon),
                                      ResourceKey::number(static_cast<std::uint16_t>(i + 1)), englishUnitedStates, 0,
                                      std::string(images[i].bytes)});
        }
        tree.resources.push_back({ResourceKey::number(resourceType::groupIcon), ResourceKey::number(1),
                                  englishUnitedStates, 0, iconGroup(images, 1)});
    }

    std::string version;
    if (!versionResource(versionInfoFor(options, targetName), version, error)) {
        return false;
    }
    tree.removeType(resourceType::version);
    tree.resources.push_back({ResourceKey::number(resourceType::version), ResourceKey::number(1),
                              englishUnitedStates, 0, version});

    // The process's manifest is resource 1; its language stays the launcher's.
    const Resource* launcherManifest = tree.find(resourceType::manifest, 1);
    if (launcherManifest == nullptr) {
        error = options.source + ": the launcher has no manifest";
        return false;
    }
    std::string manifest;
    if (!brandManifest(launcherManifest->data, options.executionLevel, options.dpiAwareness, manifest, error)) {
        error = options.source + ": " + error;
        return false;
    }
    const std::uint16_t language = launcherManifest->language;
    tree.removeType(resourceType::manifest);
    tree.resources.push_back({ResourceKey::number(resourceType::manifest), ResourceKey::number(1), language, 0,
                              manifest});
    return true;
}

} // namespace

VersionInfo versionInfoFor(const BrandOptions& options, const std::string& targetName)
{
    VersionInfo info;
    const FileVersion none;
    info.fileVersion = options.fileVersion.value_or(options.productVersion.value_or(none));
    info.productVersion = options.productVersion.value_or(options.fileVersion.value_or(none));
    const std::string name = stem(targetName);
    const std::string product = options.productName.value_or(options.fileDescription.value_or(name));
    const std::string description = options.fileDescription.value_or(options.productName.value_or(name));
    auto add = [&](const char16_t* key, const std::string& value) { info.strings.emplace_back(key, utf16(value)); };
    if (options.company) {
        add(u"CompanyName", *options.company);
    }
    add(u"FileDescription", description);
    add(u"FileVersion", formatFileVersion(info.fileVersion));
    add(u"InternalName", options.internalName.value_or(name));
    if (options.copyright) {
        add(u"LegalCopyright", *options.copyright);
    }
    add(u"OriginalFilename", options.originalFilename.value_or(targetName));
    add(u"ProductName", product);
    add(u"ProductVersion", formatFileVersion(info.productVersion));
    return info;
}

bool brandExecutable(std::string_view source, std::string_view iconFile, const BrandOptions& options,
                     const std::string& targetName, std::string& branded, std::string& error)
{
    PeImage image;
    if (!readPeImage(source, image, error)) {
        error = options.source + ": " + error;
        return false;
    }
    ResourceTree tree;
    const std::uint32_t resourcesAt = image.directories[directory::resources].address;
    if (!parseResourceTree(resourceBytes(source, image), resourcesAt, tree, error)) {
        error = options.source + ": not one of our launchers (" + error + ")";
        return false;
    }
    if (!isOurLauncher(tree)) {
        error = options.source + ": not one of our launchers (it lacks our JRE Not Found dialog or string table)";
        return false;
    }
    if (!brandResources(tree, iconFile, options, targetName, error)) {
        return false;
    }
    const ResourcePlacement placement = placeResources(image);
    if (!replaceResources(source, image, placement, serializeResourceTree(tree, placement.address), branded, error)) {
        error = options.source + ": " + error;
        return false;
    }
    return true;
}

} // namespace brand
