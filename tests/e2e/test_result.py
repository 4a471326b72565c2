"""From the viewer page to the result file: curl.exe downloads it, then deletes it on the server."""
import os
import shutil
import tempfile
import time

from harness import CURL, INSTALL_KEY, E2ETest, PROP, session

TOOL_FOLDER = r"C:\Program Files\Common Files\Quorvex"


def is_result_download(r):
    return r.from_curl and r.method == "GET" and r.path.startswith("/jobs/")


def is_delete(r):
    return r.method == "DELETE"


class ResultTest(E2ETest):
    @classmethod
    def setUpClass(cls):
        w = session()
        folder = w.c_drive("Program Files", "Common Files", "Quorvex")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(CURL, os.path.join(folder, "curl.exe"))
        w.reg_add(INSTALL_KEY, "CommonFiles", TOOL_FOLDER)

    def setUp(self):
        super().setUp()
        self.out_dir = tempfile.mkdtemp(prefix="result out ")
        self.addCleanup(shutil.rmtree, self.out_dir, True)
        self.output = os.path.join(self.out_dir, "job result.xml")

    def finish(self, **extra):
        """Launches with a document; the viewer page sends the browser on to the result."""
        doc = os.path.join(self.out_dir, "input.xml")
        with open(doc, "wb") as f:
            f.write(b"<job/>\r\n")
        p = dict(InputPath=session().windows_path(doc), OutputPath=session().windows_path(self.output),
                 finish="auto")
        p.update(extra)
        return self.launch_params(**p)


class WholeRoad(ResultTest):
    def test_launch_to_result_file_and_delete(self):
        v = self.finish()
        self.assertEqual(v.wait_exit(60), 0, v.trace())
        posted = self.server.wait_for(lambda r: r.method == "POST" and r.path == "/viewer", 1)
        self.assertIsNotNone(posted)
        self.assertEqual(posted.body, b"<job/>\n")
        located = self.server.wait_for(lambda r: not r.from_curl and r.path == "/jobs/4711/result.xml", 1)
        download = self.server.wait_for(is_result_download, 1)
        delete = self.server.wait_for(is_delete, 1)
        self.assertIsNotNone(located)
        self.assertIsNotNone(download)
        self.assertIsNotNone(delete)
        self.assertEqual(download.target, "/jobs/4711/result.xml")
        self.assertEqual(delete.request_line.split(" ")[1], "/viewer?file=result.xml")
        self.assertLess(download.time, delete.time)
        with open(self.output, "rb") as f:
            self.assertEqual(f.read(), self.server.document)
        print("\n    result location -> download request: %.0f ms; delete -> exit: %.0f ms"
              % ((download.time - located.time) * 1000, (v.ended - delete.time) * 1000))

    def test_doubled_slashes_give_the_same_file_name(self):
        v = self.launch_params(OutputPath=session().windows_path(self.output))
        self.ready(v)
        v.probe("copydata", PROP, 2558, "ok", self.server.base + "/jobs//4711//result.xml")
        self.assertEqual(v.wait_exit(60), 0)
        delete = self.server.wait_for(is_delete, 1)
        self.assertIsNotNone(delete)
        self.assertTrue(delete.target.endswith("?file=result.xml"), delete.target)


class NoTransfer(ResultTest):
    def test_no_output_path_ends_without_curl(self):
        v = self.finish(OutputPath=None)
        self.assertEqual(v.wait_exit(60), 0)
        self.assertIn("result: no output path", v.trace())
        self.assertEqual(self.server.matching(lambda r: r.from_curl), [])

    def test_capital_xml_is_not_a_result(self):
        v = self.launch_params(OutputPath=session().windows_path(self.output))
        self.ready(v)
        v.probe("copydata", PROP, 2558, "ok", self.server.base + "/jobs/4711/result.XML")
        self.assertIsNotNone(self.server.wait_for(lambda r: r.path.endswith(".XML")))
        time.sleep(1.5)
        self.assertTrue(v.running())
        self.assertEqual(self.server.matching(lambda r: r.from_curl), [])

    def test_missing_registry_value_or_missing_curl_deletes_nothing(self):
        w = session()
        try:
            w.reg_delete(INSTALL_KEY)
            v = self.finish()
            self.assertEqual(v.wait_exit(60), 0)
            w.reg_add(INSTALL_KEY, "CommonFiles", r"C:\Program Files\Common Files\Nowhere")
            v = self.finish()
            self.assertEqual(v.wait_exit(60), 0)
        finally:
            w.reg_add(INSTALL_KEY, "CommonFiles", TOOL_FOLDER)
        self.assertEqual(self.server.matching(lambda r: r.from_curl), [])
        self.assertFalse(os.path.exists(self.output))


class FailedDownload(ResultTest):
    def test_failed_download_keeps_the_result_on_the_server(self):
        for mode in ("500", "close"):
            self.server.result = mode
            self.server.requests.clear()
            v = self.finish()
            self.assertEqual(v.wait_exit(60), 0, mode)
            self.assertIsNotNone(self.server.wait_for(is_result_download, 1), mode)
            self.assertEqual(self.server.matching(is_delete), [], mode)
            self.assertIn("result: download failed, nothing deleted", v.trace())
            self.assertFalse(os.path.exists(self.output), mode)


class Injection(ResultTest):
    def test_location_cannot_add_curl_arguments(self):
        evil = os.path.join(self.out_dir, "evil.txt")
        v = self.launch_params(OutputPath=session().windows_path(self.output))
        self.ready(v)
        url = '%s/jobs/x" -o "%s" "y/result.xml' % (self.server.base, session().windows_path(evil))
        v.probe("copydata", PROP, 2558, "ok", url)
        self.assertEqual(v.wait_exit(60), 0)
        self.assertFalse(os.path.exists(evil))
        for r in self.server.matching(lambda r: r.from_curl):
            self.assertNotIn(" ", r.target)
            self.assertNotIn('"', r.target)
