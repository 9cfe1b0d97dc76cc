#include "app/logic/event_boundary.h"

#include "app/logic/texts.h"
#include "export/failure_text.h"
#include "platform/user_error.h"

namespace app::logic {

std::optional<std::string> errorBoxTextOf(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const platform::SilentAbort&) {
        return std::nullopt;
    } catch (const std::exception& error) {
        return exporter::errorBoxText(error.what());
    } catch (...) {
        return exporter::errorBoxText(texts::UnexpectedFailure);
    }
}

bool runAtEventBoundary(
    const std::function<void()>& handler, const std::function<void(const std::string& text)>& showErrorBox)
{
    try {
        handler();
        return true;
    } catch (...) {
        if (auto text = errorBoxTextOf(std::current_exception()))
            showErrorBox(*text);
        return false;
    }
}

} // namespace app::logic
