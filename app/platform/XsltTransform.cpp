#include "platform/XsltTransform.h"

#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>

#include <memory>

namespace kivplus {

namespace {

struct FreeStylesheet {
    void operator()(xsltStylesheetPtr style) const { xsltFreeStylesheet(style); }
};
struct FreeSecurityPrefs {
    void operator()(xsltSecurityPrefsPtr prefs) const { xsltFreeSecurityPrefs(prefs); }
};
struct FreeTransformContext {
    void operator()(xsltTransformContextPtr context) const { xsltFreeTransformContext(context); }
};

std::unique_ptr<xsltSecurityPrefs, FreeSecurityPrefs> restrictivePrefs()
{
    std::unique_ptr<xsltSecurityPrefs, FreeSecurityPrefs> prefs(xsltNewSecurityPrefs());
    if (!prefs)
        return prefs;
    for (xsltSecurityOption option : {XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
                                      XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK}) {
        if (xsltSetSecurityPrefs(prefs.get(), option, xsltSecurityForbid) != 0)
            return {};
    }
    return prefs;
}

// Stylesheets pulled in by xsl:include and xsl:import while a stylesheet is
// compiled are checked against the process-wide preferences, so those forbid
// the same; libxslt keeps them for the life of the process.
bool installDefaultPrefs()
{
    xsltSecurityPrefsPtr prefs = restrictivePrefs().release();
    if (!prefs)
        return false;
    xsltSetDefaultSecurityPrefs(prefs);
    return true;
}

} // namespace

XsltResult applyStylesheet(const XmlDocument& doc, const std::filesystem::path& stylesheet)
{
    XsltResult result;
    if (!doc) {
        result.error = "no document to transform";
        return result;
    }
    static const bool defaultPrefsInstalled = installDefaultPrefs();
    if (!defaultPrefsInstalled) {
        result.error = "no memory for the security preferences";
        return result;
    }
    XmlDocument styleDoc = XmlDocument::parseFile(stylesheet.string());
    if (!styleDoc) {
        result.error = "stylesheet: " + styleDoc.error();
        return result;
    }
    xmlDocPtr rawStyleDoc = styleDoc.release();
    std::unique_ptr<xsltStylesheet, FreeStylesheet> style(xsltParseStylesheetDoc(rawStyleDoc));
    if (!style) {
        xmlFreeDoc(rawStyleDoc); // not taken over when parsing fails
        result.error = "the stylesheet is not valid XSLT";
        return result;
    }
    auto prefs = restrictivePrefs();
    std::unique_ptr<xsltTransformContext, FreeTransformContext> context(
        xsltNewTransformContext(style.get(), doc.get()));
    if (!prefs || !context || xsltSetCtxtSecurityPrefs(prefs.get(), context.get()) != 0) {
        result.error = "no memory for the transformation";
        return result;
    }
    XmlDocument output(xsltApplyStylesheetUser(style.get(), doc.get(), nullptr, nullptr, nullptr, context.get()));
    if (!output || context->state != XSLT_STATE_OK) {
        result.error = "the stylesheet failed";
        return result;
    }
    result.document = std::move(output);
    result.indent = style->indent == 1;
    return result;
}

} // namespace kivplus
