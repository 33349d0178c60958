// The Python 3 extension module "qel": the interpreter side of Instrument.
// Text results are str decoded as Latin-1 (every byte survives), ReadBinary
// gives bytes, Write takes str (encoded as Latin-1) or any bytes-like object.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "qelmodule/instrument.h"

#include <mutex>
#include <string>

namespace {

qel::Instrument g_instrument;
PyObject* g_error = nullptr;  // qel.error, raised where a call gives no value

// Messages go to sys.stdout while the interpreter runs, else to stdout.
void Sink(const char* text, std::size_t n)
{
    if (!Py_IsInitialized()) {
        std::fwrite(text, 1, n, stdout);
        std::fflush(stdout);
        return;
    }
    PyGILState_STATE gil = PyGILState_Ensure();
    PyObject* type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    PyObject* out = PySys_GetObject("stdout");  // borrowed
    PyObject* str = PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(n), "replace");
    if (out && out != Py_None && str) {
        PyObject* r = PyObject_CallMethod(out, "write", "O", str);
        Py_XDECREF(r);
    } else {
        std::fwrite(text, 1, n, stdout);
    }
    Py_XDECREF(str);
    PyErr_Clear();
    PyErr_Restore(type, value, tb);
    PyGILState_Release(gil);
}

// Runs f with the interpreter lock released and the module lock held (in
// that order, so a message printed from inside can take the interpreter lock).
template <typename F>
auto Locked(F f)
{
    PyThreadState* ts = PyEval_SaveThread();
    decltype(f()) result;
    {
        std::lock_guard lock(g_instrument.Lock());
        result = f();
    }
    PyEval_RestoreThread(ts);
    return result;
}

PyObject* Latin1(const std::string& s)
{
    return PyUnicode_DecodeLatin1(s.data(), static_cast<Py_ssize_t>(s.size()), nullptr);
}

PyObject* RaiseQel(int code, const std::string& reason)
{
    std::string text = reason;
    while (!text.empty() && (text.back() == '\n' || text.back() == '!'))
        text.pop_back();
    PyObject* args = Py_BuildValue("(is)", code, text.c_str());
    if (args) {
        PyErr_SetObject(g_error, args);
        Py_DECREF(args);
    }
    return nullptr;
}

PyObject* qel_Close(PyObject*, PyObject* args)
{
    int h;
    if (!PyArg_ParseTuple(args, "i", &h))
        return nullptr;
    return Py_BuildValue("i", Locked([&] { return g_instrument.Close(h); }));
}

PyObject* qel_Debug(PyObject*, PyObject* args)
{
    int level;
    if (!PyArg_ParseTuple(args, "i", &level))
        return nullptr;
    Locked([&] { g_instrument.Debug(level); return 0; });
    Py_RETURN_NONE;
}

PyObject* qel_EraseBuffer(PyObject*, PyObject* args)
{
    int h;
    if (!PyArg_ParseTuple(args, "i", &h))
        return nullptr;
    return Py_BuildValue("i", Locked([&] { return g_instrument.EraseBuffer(h); }));
}

PyObject* qel_GetError(PyObject*, PyObject*)
{
    return Py_BuildValue("i", Locked([&] { return g_instrument.GetError(); }));
}

PyObject* qel_GetErrorString(PyObject*, PyObject* args)
{
    int n;
    if (!PyArg_ParseTuple(args, "i", &n))
        return nullptr;
    return Latin1(Locked([&] { return g_instrument.GetErrorString(n); }));
}

PyObject* qel_Help(PyObject*, PyObject* args)
{
    const char* command;
    if (!PyArg_ParseTuple(args, "s", &command))
        return nullptr;
    const std::string word(command);
    Locked([&] { g_instrument.Help(word); return 0; });
    Py_RETURN_NONE;
}

PyObject* qel_Ioctl(PyObject*, PyObject* args)
{
    int h;
    const char* command;
    if (!PyArg_ParseTuple(args, "is", &h, &command))
        return nullptr;
    const std::string word(command);
    int value = 0;
    const bool known = Locked([&] { return g_instrument.Ioctl(h, word, value); });
    if (!known)
        return RaiseQel(-1, "No Ioctl command matches \"" + word + "\"");
    return Py_BuildValue("i", value);
}

PyObject* qel_Kbhit(PyObject*, PyObject*)
{
    const char c = Locked([&] { return g_instrument.Kbhit(); });
    return Py_BuildValue("C", static_cast<int>(static_cast<unsigned char>(c)));
}

PyObject* qel_Open(PyObject*, PyObject* args)
{
    const char* device;
    const char* parameter = "";
    if (!PyArg_ParseTuple(args, "s|s", &device, &parameter))
        return nullptr;
    const std::string d(device), p(parameter);
    return Py_BuildValue("i", Locked([&] { return g_instrument.Open(d, p); }));
}

PyObject* qel_Read(PyObject*, PyObject* args)
{
    int h;
    if (!PyArg_ParseTuple(args, "i", &h))
        return nullptr;
    return Latin1(Locked([&] { return g_instrument.Read(h); }));
}

PyObject* qel_ReadBinary(PyObject*, PyObject* args)
{
    int h;
    if (!PyArg_ParseTuple(args, "i", &h))
        return nullptr;
    std::string data, reason;
    const int rc = Locked([&] { return g_instrument.ReadBinary(h, data, reason); });
    if (rc != 0)
        return RaiseQel(rc, reason);
    return PyBytes_FromStringAndSize(data.data(), static_cast<Py_ssize_t>(data.size()));
}

PyObject* qel_ReadQuota(PyObject*, PyObject* args)
{
    int h;
    if (!PyArg_ParseTuple(args, "i", &h))
        return nullptr;
    return Latin1(Locked([&] { return g_instrument.ReadQuota(h); }));
}

PyObject* qel_Reset(PyObject*, PyObject* args)
{
    int h;
    if (!PyArg_ParseTuple(args, "i", &h))
        return nullptr;
    Locked([&] { g_instrument.Reset(h); return 0; });
    Py_RETURN_NONE;
}

PyObject* qel_SetTimeout(PyObject*, PyObject* args)
{
    int h;
    long ms;
    if (!PyArg_ParseTuple(args, "il", &h, &ms))
        return nullptr;
    Locked([&] { g_instrument.SetTimeout(h, ms); return 0; });
    Py_RETURN_NONE;
}

PyObject* qel_Version(PyObject*, PyObject*)
{
    return Py_BuildValue("s", qel::kVersion);
}

PyObject* qel_Write(PyObject*, PyObject* args)
{
    int h;
    PyObject* obj;
    if (!PyArg_ParseTuple(args, "iO", &h, &obj))
        return nullptr;
    std::string data;
    if (PyUnicode_Check(obj)) {
        PyObject* bytes = PyUnicode_AsLatin1String(obj);
        if (!bytes)
            return nullptr;
        data.assign(PyBytes_AS_STRING(bytes), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes)));
        Py_DECREF(bytes);
    } else if (PyObject_CheckBuffer(obj)) {
        Py_buffer view;
        if (PyObject_GetBuffer(obj, &view, PyBUF_SIMPLE) != 0)
            return nullptr;
        data.assign(static_cast<const char*>(view.buf), static_cast<std::size_t>(view.len));
        PyBuffer_Release(&view);
    } else {
        PyErr_Format(PyExc_TypeError, "Write() argument 2 must be str or bytes, not %.100s",
                     Py_TYPE(obj)->tp_name);
        return nullptr;
    }
    return Py_BuildValue("i", Locked([&] { return g_instrument.Write(h, data.data(), data.size()); }));
}

PyMethodDef kMethods[] = {
    {"Close", qel_Close, METH_VARARGS, "int qel.Close(int handle)"},
    {"Debug", qel_Debug, METH_VARARGS, "void qel.Debug(int dbglevel)"},
    {"EraseBuffer", qel_EraseBuffer, METH_VARARGS, "int qel.EraseBuffer(int handle)"},
    {"GetError", qel_GetError, METH_NOARGS, "int qel.GetError()"},
    {"GetErrorString", qel_GetErrorString, METH_VARARGS, "char *qel.GetErrorString(int errornumber)"},
    {"Help", qel_Help, METH_VARARGS, "void qel.Help(char *command)"},
    {"Ioctl", qel_Ioctl, METH_VARARGS, "int qel.Ioctl(int handle,int cmd)"},
    {"Kbhit", qel_Kbhit, METH_NOARGS, "char qel.Kbhit()"},
    {"Open", qel_Open, METH_VARARGS, "int qel.Open(char device, char \"parameter\")"},
    {"Read", qel_Read, METH_VARARGS, "char *qel.Read(int handle)"},
    {"ReadBinary", qel_ReadBinary, METH_VARARGS, "char *qel.ReadBinary(int handle)"},
    {"ReadQuota", qel_ReadQuota, METH_VARARGS, "char *qel.ReadQuota(int handle)"},
    {"Reset", qel_Reset, METH_VARARGS, "void qel.Reset(int handle)"},
    {"SetTimeout", qel_SetTimeout, METH_VARARGS, "void qel.SetTimeout(int handle, long time)"},
    {"Version", qel_Version, METH_NOARGS, "char* qel.Version()"},
    {"Write", qel_Write, METH_VARARGS, "int qel.Write(int handle)"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT, "qel",
    "Handle-based access to instruments on serial ports and GPIB.", -1, kMethods,
    nullptr, nullptr, nullptr, nullptr,
};

} // namespace

PyMODINIT_FUNC PyInit_qel(void)
{
    PyObject* m = PyModule_Create(&kModule);
    if (!m)
        return nullptr;
    if (!g_error) {
        g_error = PyErr_NewException("qel.error", PyExc_OSError, nullptr);
        if (!g_error) {
            Py_DECREF(m);
            return nullptr;
        }
    }
    Py_INCREF(g_error);
    if (PyModule_AddObject(m, "error", g_error) != 0) {
        Py_DECREF(g_error);
        Py_DECREF(m);
        return nullptr;
    }
    g_instrument.SetSink(Sink);
    return m;
}
