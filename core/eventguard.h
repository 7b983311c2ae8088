#pragma once
// Detaches an event handler for a scope and puts it back in every case, also
// when an exception passes:
//   EventDetach noScroll(cdsItemPedido.afterScroll);
//   EventDetach noChange(cdsItemPedido.fieldByName("IDITPEDDIFER").onChange);
// EventReplace puts another handler in its place for the scope.

#include <utility>

template <typename Handler>
class EventReplace {
public:
    EventReplace(Handler& slot, Handler replacement) : m_slot(slot), m_saved(std::move(slot))
    {
        m_slot = std::move(replacement);
    }
    ~EventReplace() { m_slot = std::move(m_saved); }
    EventReplace(const EventReplace&) = delete;
    EventReplace& operator=(const EventReplace&) = delete;

    const Handler& saved() const { return m_saved; }   // the handler that comes back

private:
    Handler& m_slot;
    Handler m_saved;
};

template <typename Handler, typename Replacement>
EventReplace(Handler&, Replacement) -> EventReplace<Handler>;

template <typename Handler>
class EventDetach : public EventReplace<Handler> {
public:
    explicit EventDetach(Handler& slot) : EventReplace<Handler>(slot, Handler()) {}
};

template <typename Handler>
EventDetach(Handler&) -> EventDetach<Handler>;
