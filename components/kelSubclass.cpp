// TkelSubclass: chains of window procedures put on windows by components.
#include "components/kelSubclass.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "components/kelClassLibLink.h"
#include "components/kelPlatformHooks.h"

namespace {

// Every link a window may still call: chained, leaving once its message is done,
// or only handing messages on because a procedure that is no link's calls it.
std::vector<std::shared_ptr<TkelSubclass>>& Links() {
    static std::vector<std::shared_ptr<TkelSubclass>> links;
    return links;
}

WNDPROC CurrentProc(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

}  // namespace

std::shared_ptr<TkelSubclass> TkelSubclass::Create(TWndMethod method) {
    std::shared_ptr<TkelSubclass> link(new TkelSubclass);
    link->m_method = std::make_shared<TWndMethod>(std::move(method));
    // The procedure does not keep its link: a link nobody holds is on no window.
    const std::weak_ptr<TkelSubclass> weak = link;
    link->m_instance = MakeObjectInstance([weak](TMessage& message) {
        if (const std::shared_ptr<TkelSubclass> held = weak.lock()) held->Dispatch(message);
    });
    return link;
}

TkelSubclass::~TkelSubclass() {
    if (m_instance) FreeObjectInstance(m_instance);
}

void TkelSubclass::AttachOnTop(HWND window) {
    if (m_state != State::Free || !IsWindow(window)) return;
    const WNDPROC prev = CurrentProc(window);
    // A window of another process is left alone: the link stays on none.
    if (kelSetWindowProc(window, reinterpret_cast<LONG_PTR>(m_instance)) == 0) return;
    m_window = window;
    m_prev = prev;
    m_state = State::Chained;
    Links().push_back(shared_from_this());
    DropPassingLinks(window);
}

void TkelSubclass::AttachBelow(TkelSubclass& upper) {
    if (m_state != State::Free || upper.m_state != State::Chained) return;
    m_window = upper.m_window;
    m_prev = upper.m_prev;
    upper.m_prev = m_instance;
    m_state = State::Chained;
    Links().push_back(shared_from_this());
}

void TkelSubclass::Detach() {
    m_method.reset();
    if (m_state != State::Chained) return;
    if (m_depth > 0) {
        m_state = State::Leaving;
        return;
    }
    Leave();
}

LRESULT TkelSubclass::CallPrev(const TMessage& message) const {
    if (!m_window) return 0;
    return m_prev ? CallWindowProcA(m_prev, m_window, message.Msg, message.WParam, message.LParam)
                  : DefWindowProcA(m_window, message.Msg, message.WParam, message.LParam);
}

void TkelSubclass::Dispatch(TMessage& message) {
    // The method may let go of its link, or of links further down: until the
    // message is done this link stays where it is, so what it hands the message
    // on to is always what the chain holds now, never a procedure that has gone.
    struct Depth {
        TkelSubclass& link;
        explicit Depth(TkelSubclass& held) : link(held) { ++link.m_depth; }
        ~Depth() {
            if (--link.m_depth != 0) return;
            try {
                if (link.m_state == State::Leaving)
                    link.Leave();
                else if (link.m_state == State::PassingOn)
                    // What was put on the window after it may have let go by now.
                    DropPassingLinks(link.m_window);
            } catch (...) {
                kelAppHandleException(nullptr);
            }
        }
    } depth(*this);
    const std::shared_ptr<TWndMethod> method = m_method;
    if (method && *method)
        (*method)(message);
    else
        message.Result = CallPrev(message);
}

bool TkelSubclass::Unlink() {
    // A window that is gone calls nobody any more.
    if (!IsWindow(m_window)) return true;
    if (CurrentProc(m_window) == m_instance) {
        kelSetWindowProc(m_window, reinterpret_cast<LONG_PTR>(m_prev));
        return true;
    }
    for (const std::shared_ptr<TkelSubclass>& other : Links()) {
        if (other.get() == this || other->m_window != m_window || other->m_prev != m_instance) continue;
        other->m_prev = m_prev;
        return true;
    }
    return false;
}

void TkelSubclass::Leave() {
    HWND window = m_window;
    if (!Unlink()) {
        // A procedure put on the window after this one, by somebody else, still
        // calls it: it goes on handing messages on until that one lets go.
        m_state = State::PassingOn;
        return;
    }
    Drop();
    DropPassingLinks(window);
}

void TkelSubclass::Drop() {
    // The list may hold the last reference.
    const std::shared_ptr<TkelSubclass> keep = shared_from_this();
    m_state = State::Free;
    m_window = nullptr;
    m_prev = nullptr;
    auto& links = Links();
    links.erase(std::remove(links.begin(), links.end(), keep), links.end());
}

void TkelSubclass::DropPassingLinks(HWND window) {
    for (bool dropped = true; dropped;) {
        dropped = false;
        const std::vector<std::shared_ptr<TkelSubclass>> links = Links();
        for (const std::shared_ptr<TkelSubclass>& link : links) {
            if (link->m_state != State::PassingOn || link->m_depth > 0) continue;
            if (link->m_window != window && IsWindow(link->m_window)) continue;
            if (!link->Unlink()) continue;
            link->Drop();
            dropped = true;
        }
    }
}
