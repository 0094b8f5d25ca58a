#pragma once
// A control array: elements indexed from 0, element 0 from the design, each further element loaded as
// a hidden copy of element 0's settings; no element is ever removed.

#include "platform/errors.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

template <class T>
class ControlArray {
public:
    // Element 0, made by `make(parent)` with its design settings; the array's elements share its parent.
    explicit ControlArray(std::unique_ptr<T> element0)
    {
        element0->setIndex(0);
        m_parent = element0->widget()->parentWidget();
        m_elements.push_back(std::move(element0));
    }

    // Element `index`; an index that is not loaded raises error 9.
    T& operator[](int index) const
    {
        if (!exists(index))
            raise(ErrSubscript);
        return *m_elements[std::size_t(index)];
    }
    bool exists(int index) const
    {
        return index >= 0 && std::size_t(index) < m_elements.size() && m_elements[std::size_t(index)] &&
               m_elements[std::size_t(index)]->widget();
    }
    // Loads element `index` as a copy of element 0, hidden. An index already loaded raises error 360,
    // one outside 0..32767 error 9.
    void Load(int index)
    {
        if (index < 0 || index > 32767)
            raise(ErrSubscript);
        if (exists(index))
            raise(ErrAlreadyLoaded);
        if (std::size_t(index) >= m_elements.size())
            m_elements.resize(std::size_t(index) + 1);
        auto element = std::make_unique<T>(m_parent, *m_elements[0], std::int16_t(index));
        if (m_click)
            connectClick(*element, std::int16_t(index));
        m_elements[std::size_t(index)] = std::move(element);
    }
    int Count() const
    {
        int n = 0;
        for (std::size_t i = 0; i < m_elements.size(); ++i)
            n += exists(int(i)) ? 1 : 0;
        return n;
    }

    // The click event of every element, present and future, with the element's index.
    void setClickHandler(std::function<void(std::int16_t)> handler)
    {
        m_click = std::move(handler);
        for (std::size_t i = 0; i < m_elements.size(); ++i)
            if (m_elements[i])
                connectClick(*m_elements[i], std::int16_t(i));
    }

private:
    void connectClick(T& element, std::int16_t index)
    {
        if constexpr (requires { element.setClickHandler(std::function<void()>()); }) {
            auto click = m_click;
            element.setClickHandler([click, index] { click(index); });
        }
    }

    QWidget* m_parent = nullptr;
    std::vector<std::unique_ptr<T>> m_elements;
    std::function<void(std::int16_t)> m_click;
};

} // namespace platform
