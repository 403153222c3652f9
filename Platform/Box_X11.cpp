// The warning box on X11, drawn with Xlib's core calls on a connection of its
// own, so it works whether or not the show's video has started, and leaves no
// process of its own behind: it lives and dies with the calling thread.
//
// Without a window manager nobody gives a new window the keyboard focus, so
// the box takes it once it is mapped and gives it back once answered (the
// show's Escape must work again); nobody draws a title bar either, so the box
// then draws its caption itself, above the text.
#include "Platform/Box.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace Ryx_Platform
{
    namespace
    {
        constexpr int Margin = 18;
        constexpr int Icon_Size = 32;
        constexpr int Button_Width = 88;
        constexpr int Button_Height = 26;

        int Ignore_Errors(::Display*, XErrorEvent*) { return 0; }

        bool Has_Window_Manager(::Display* x)
        {
            Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", True);
            if (check == None)
                return false;
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            bool found = XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, XA_WINDOW, &type, &format,
                                            &count, &after, &data) == Success &&
                data && count == 1;
            if (data)
                XFree(data);
            return found;
        }

        std::vector<std::string> Lines_Of(const char* text)
        {
            std::vector<std::string> lines(1);
            for (const char* c = text; *c; ++c)
                if (*c == '\n')
                    lines.emplace_back();
                else
                    lines.back() += *c;
            return lines;
        }

        unsigned long Colour(::Display* x, const char* name, unsigned long fallback)
        {
            XColor colour;
            Colormap map = DefaultColormap(x, DefaultScreen(x));
            if (XParseColor(x, map, name, &colour) && XAllocColor(x, map, &colour))
                return colour.pixel;
            return fallback;
        }

        struct Box
        {
            ::Display* x = nullptr;
            Window window = None;
            GC gc = nullptr;
            XFontStruct* font = nullptr;
            std::vector<std::string> lines;  // the caption first, when the box draws it
            bool draws_caption = false;
            int width = 0, height = 0, line_height = 0;
            int button_x = 0, button_y = 0;
            unsigned long black = 0, white = 0, face = 0, shadow = 0, sign = 0;
            bool button_down = false;

            int Text_Width(const std::string& s) const
            {
                return font ? XTextWidth(font, s.c_str(), int(s.size())) : int(s.size()) * 6;
            }

            void Lay_Out(const char* caption, const char* text)
            {
                font = XLoadQueryFont(x, "-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso8859-1");
                if (!font)
                    font = XLoadQueryFont(x, "fixed");
                line_height = font ? font->ascent + font->descent + 4 : 17;
                draws_caption = !Has_Window_Manager(x);
                if (draws_caption)
                    lines.push_back(caption);
                for (std::string& line : Lines_Of(text))
                    lines.push_back(std::move(line));
                int text_width = 0;
                for (const std::string& line : lines)
                    text_width = std::max(text_width, Text_Width(line));
                int text_height = int(lines.size()) * line_height + (draws_caption ? 8 : 0);
                width = std::max(Margin + Icon_Size + Margin + text_width + Margin, 2 * Margin + Button_Width + 140);
                height = Margin + std::max(Icon_Size, text_height) + Margin + Button_Height + Margin;
                button_x = width - Margin - Button_Width;
                button_y = height - Margin - Button_Height;
            }

            void Draw()
            {
                XSetForeground(x, gc, face);
                XFillRectangle(x, window, gc, 0, 0, unsigned(width), unsigned(height));
                if (font)
                    XSetFont(x, gc, font->fid);

                // The warning sign: a yellow triangle with an exclamation mark.
                XPoint corners[3] = {{short(Margin + Icon_Size / 2), short(Margin)},
                                     {short(Margin + Icon_Size), short(Margin + Icon_Size - 2)},
                                     {short(Margin), short(Margin + Icon_Size - 2)}};
                XSetForeground(x, gc, sign);
                XFillPolygon(x, window, gc, corners, 3, Convex, CoordModeOrigin);
                XSetForeground(x, gc, black);
                XPoint outline[4] = {corners[0], corners[1], corners[2], corners[0]};
                XDrawLines(x, window, gc, outline, 4, CoordModeOrigin);
                XFillRectangle(x, window, gc, Margin + Icon_Size / 2 - 1, Margin + 10, 3, 12);
                XFillRectangle(x, window, gc, Margin + Icon_Size / 2 - 1, Margin + 24, 3, 3);

                int left = Margin + Icon_Size + Margin;
                int baseline = Margin + (font ? font->ascent : 12) + 2;
                for (std::size_t i = 0; i < lines.size(); ++i)
                {
                    const std::string& line = lines[i];
                    XDrawString(x, window, gc, left, baseline, line.c_str(), int(line.size()));
                    if (draws_caption && i == 0)
                    {
                        // The caption stands apart from the text, underlined.
                        XDrawLine(x, window, gc, left, baseline + 4, left + Text_Width(line), baseline + 4);
                        baseline += 8;
                    }
                    baseline += line_height;
                }

                // The one button, drawn as the default one (a double frame).
                XSetForeground(x, gc, button_down ? shadow : white);
                XFillRectangle(x, window, gc, button_x, button_y, Button_Width, Button_Height);
                XSetForeground(x, gc, black);
                XDrawRectangle(x, window, gc, button_x, button_y, Button_Width - 1, Button_Height - 1);
                XDrawRectangle(x, window, gc, button_x + 1, button_y + 1, Button_Width - 3, Button_Height - 3);
                const char* ok = "OK";
                int ok_x = button_x + (Button_Width - Text_Width(ok)) / 2;
                int ok_y = button_y + Button_Height / 2 + (font ? (font->ascent - font->descent) / 2 : 4);
                XDrawString(x, window, gc, ok_x, ok_y, ok, 2);
                XFlush(x);
            }

            bool On_Button(int px, int py) const
            {
                return px >= button_x && px < button_x + Button_Width && py >= button_y &&
                    py < button_y + Button_Height;
            }
        };

        void Set_Hints(Box& box, const char* caption, Atom delete_window)
        {
            ::Display* x = box.x;
            XStoreName(x, box.window, caption);
            Atom utf8 = XInternAtom(x, "UTF8_STRING", False);
            XChangeProperty(x, box.window, XInternAtom(x, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(caption), int(std::strlen(caption)));
            XClassHint class_hint;
            char name[] = "demo", class_name[] = "Orvi";
            class_hint.res_name = name;
            class_hint.res_class = class_name;
            XSetClassHint(x, box.window, &class_hint);

            XWMHints wm_hints = {};
            wm_hints.flags = InputHint | StateHint;
            wm_hints.input = True;
            wm_hints.initial_state = NormalState;
            XSetWMHints(x, box.window, &wm_hints);

            // A fixed size, centred on the screen.
            XSizeHints size = {};
            size.flags = PPosition | PSize | PMinSize | PMaxSize;
            size.x = (DisplayWidth(x, DefaultScreen(x)) - box.width) / 2;
            size.y = (DisplayHeight(x, DefaultScreen(x)) - box.height) / 2;
            size.width = size.min_width = size.max_width = box.width;
            size.height = size.min_height = size.max_height = box.height;
            XSetWMNormalHints(x, box.window, &size);

            // A dialog that stays above the show's full-screen window.
            Atom type = XInternAtom(x, "_NET_WM_WINDOW_TYPE_DIALOG", False);
            XChangeProperty(x, box.window, XInternAtom(x, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&type), 1);
            Atom states[2] = {XInternAtom(x, "_NET_WM_STATE_ABOVE", False),
                              XInternAtom(x, "_NET_WM_STATE_MODAL", False)};
            XChangeProperty(x, box.window, XInternAtom(x, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(states), 2);
            XSetWMProtocols(x, box.window, &delete_window, 1);
        }

        // Asks a window manager to activate the box, and sets the focus
        // directly for a display without one.
        void Take_Focus(::Display* x, Window window)
        {
            XEvent event = {};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = XInternAtom(x, "_NET_ACTIVE_WINDOW", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = 1;  // from an application
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(x, DefaultRootWindow(x), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
            XSetInputFocus(x, window, RevertToPointerRoot, CurrentTime);
        }
    }

    bool Show_Warning_Box(const char* caption, const char* text)
    {
        if (!caption)
            caption = "Error";
        Box box;
        box.x = XOpenDisplay(nullptr);
        if (!box.x)
            return false;
        ::Display* x = box.x;
        // The box's own calls may meet windows that are gone (the focus to
        // give back): such errors mean nothing here. Xlib's handler is the
        // process's, so the previous one comes back afterwards.
        XErrorHandler previous_handler = XSetErrorHandler(&Ignore_Errors);

        Window previous_focus = None;
        int previous_revert = RevertToPointerRoot;
        XGetInputFocus(x, &previous_focus, &previous_revert);

        int screen = DefaultScreen(x);
        box.black = BlackPixel(x, screen);
        box.white = WhitePixel(x, screen);
        box.face = Colour(x, "#ECECEC", box.white);
        box.shadow = Colour(x, "#B8B8B8", box.black);
        box.sign = Colour(x, "#F5C211", box.white);
        box.Lay_Out(caption, text);

        XSetWindowAttributes attributes = {};
        attributes.background_pixel = box.face;
        attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
        box.window =
            XCreateWindow(x, RootWindow(x, screen), (DisplayWidth(x, screen) - box.width) / 2,
                          (DisplayHeight(x, screen) - box.height) / 2, unsigned(box.width), unsigned(box.height), 1,
                          CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
        Atom delete_window = XInternAtom(x, "WM_DELETE_WINDOW", False);
        Set_Hints(box, caption, delete_window);
        box.gc = XCreateGC(x, box.window, 0, nullptr);
        XMapRaised(x, box.window);

        bool answered = false;
        while (!answered)
        {
            XEvent event;
            XNextEvent(x, &event);
            switch (event.type)
            {
            case MapNotify: Take_Focus(x, box.window); break;
            case Expose:
                if (event.xexpose.count == 0)
                    box.Draw();
                break;
            case KeyPress:
            {
                KeySym key = XLookupKeysym(&event.xkey, 0);
                answered = key == XK_Return || key == XK_KP_Enter || key == XK_Escape || key == XK_space;
                break;
            }
            case ButtonPress:
                if (event.xbutton.button == Button1 && box.On_Button(event.xbutton.x, event.xbutton.y))
                {
                    box.button_down = true;
                    box.Draw();
                }
                break;
            case ButtonRelease:
                if (event.xbutton.button == Button1 && box.button_down)
                {
                    answered = box.On_Button(event.xbutton.x, event.xbutton.y);
                    box.button_down = false;
                    box.Draw();
                }
                break;
            case ClientMessage: answered = Atom(event.xclient.data.l[0]) == delete_window; break;
            default: break;
            }
        }

        XFreeGC(x, box.gc);
        XDestroyWindow(x, box.window);
        if (previous_focus != None)
            XSetInputFocus(x, previous_focus, previous_revert, CurrentTime);
        if (box.font)
            XFreeFont(x, box.font);
        XSync(x, False);
        XSetErrorHandler(previous_handler);
        XCloseDisplay(x);
        return true;
    }
}
